# Run by `cmake --install`: writes <prefix>/share/applications/leafstudio.desktop from
# LEAF_DESKTOP_TEMPLATE, naming the installed program LEAF_INSTALLED_PROGRAM (relative to
# the prefix) by the path the program finds itself at (links resolved), so that the
# program's own start-up registration finds the entry unchanged. The path is quoted as
# the desktop entry format asks (and as the program quotes it): as it is when it holds
# only plain characters, else in double quotes with '"', '`', '$' and '\' escaped; then
# '%' and '\' doubled for the string value.
set(prefix "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
file(REAL_PATH "${prefix}/${LEAF_INSTALLED_PROGRAM}" program)
if(NOT program MATCHES "^[A-Za-z0-9/._+,@:=-]+$")
  string(REPLACE "\\" "\\\\" program "${program}")
  string(REPLACE "\"" "\\\"" program "${program}")
  string(REPLACE "`" "\\`" program "${program}")
  string(REPLACE "$" "\\$" program "${program}")
  set(program "\"${program}\"")
endif()
string(REPLACE "%" "%%" program "${program}")
string(REPLACE "\\" "\\\\" program "${program}")

file(READ "${LEAF_DESKTOP_TEMPLATE}" entry)
string(REPLACE "@LEAFSTUDIO@" "${program}" entry "${entry}")
set(target "${prefix}/share/applications/leafstudio.desktop")
file(MAKE_DIRECTORY "${prefix}/share/applications")
file(WRITE "${target}" "${entry}")
message(STATUS "Installing: ${target}")
