# Writes OUTPUT: a C++ source defining the function FUNCTION, which returns the bytes of
# the text file INPUT.
file(READ ${INPUT} content)
set(delimiter "leaftext")
file(WRITE ${OUTPUT}
  "// Generated from ${INPUT}: do not edit.\n"
  "#include <string_view>\n"
  "std::string_view ${FUNCTION}() {\n"
  "    static constexpr std::string_view text = R\"${delimiter}(${content})${delimiter}\";\n"
  "    return text;\n"
  "}\n")
