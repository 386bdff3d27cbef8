# Writes INPUT as a C++ byte array SYMBOL of SIZE bytes into OUTPUT, padded with zeros.
# Fails when INPUT is larger than SIZE.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hex_len)
math(EXPR bytes "${hex_len} / 2")
if(bytes GREATER SIZE)
  message(FATAL_ERROR "${INPUT} is ${bytes} bytes, more than ${SIZE}")
endif()
math(EXPR pad "${SIZE} - ${bytes}")
string(REPEAT "00" ${pad} padding)
string(APPEND hex "${padding}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," body "${hex}")
file(WRITE ${OUTPUT} "// Generated from ${INPUT}; do not edit.\n#pragma once\n#include <cstdint>\n\n"
  "// ${bytes} bytes of code and messages, padded to ${SIZE}.\n"
  "inline constexpr uint8_t ${SYMBOL}[${SIZE}] = {\n    ${body}\n};\n")
