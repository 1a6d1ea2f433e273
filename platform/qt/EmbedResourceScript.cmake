# Writes INPUT as a C++ byte array (zbkResourceScript, zbkResourceScriptSize), with
# its line #include "resource.h" replaced by the header HEADER, as the resource
# compiler's preprocessor reads it.
file(READ ${INPUT} script)
file(READ ${HEADER} header)
string(REPLACE "#include \"resource.h\"" "${header}" script "${script}")
file(WRITE ${OUTPUT}.script "${script}")
file(READ ${OUTPUT}.script content HEX)
file(REMOVE ${OUTPUT}.script)
string(LENGTH "${content}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${content}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}.tmp
  "// Generated from zbkedit.rc at build time.\n"
  "#include <cstddef>\n"
  "extern const unsigned char zbkResourceScript[];\n"
  "extern const std::size_t zbkResourceScriptSize;\n"
  "const unsigned char zbkResourceScript[] = {\n${bytes}0x00};\n"
  "const std::size_t zbkResourceScriptSize = ${size};\n")
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
