# Writes a C++ source holding one file's bytes as an array.
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name [-DSKIP=n] -P embed_file.cmake
# SKIP drops leading bytes: a bitmap resource is a .bmp without its 14-byte
# file header.
if(NOT DEFINED SKIP)
    set(SKIP 0)
endif()
file(SIZE "${INPUT}" size)
math(EXPR count "${size} - ${SKIP}")
if(count LESS_EQUAL 0)
    message(FATAL_ERROR "${INPUT}: nothing to embed")
endif()
file(READ "${INPUT}" hex OFFSET ${SKIP} HEX)
# 24 bytes a line, each as 0xNN.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){24})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT} by embed_file.cmake; do not edit.
#include <cstddef>
#include <cstdint>

namespace gv::resources::embedded {
extern const uint8_t ${SYMBOL}[];
extern const std::size_t ${SYMBOL}_size;
alignas(8) const uint8_t ${SYMBOL}[] = {
    ${bytes}
};
const std::size_t ${SYMBOL}_size = ${count};
} // namespace gv::resources::embedded
")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
