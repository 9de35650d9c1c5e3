# Writes OUTPUT: a C++ source that registers the resource script INPUT (named NAME)
# with the resource set of the program or module it is compiled into.
file(READ ${INPUT} content)
set(delimiter "leafres")
file(WRITE ${OUTPUT}
  "// Generated from ${NAME}: do not edit.\n"
  "#include \"platform/ui/Resources.h\"\n"
  "namespace {\n"
  "const leaf::ui::EmbeddedResourceScript script(\"${NAME}\", R\"${delimiter}(${content})${delimiter}\");\n"
  "}\n")
