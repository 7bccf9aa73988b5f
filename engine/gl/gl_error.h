#pragma once
// GL's error flag turned into the backend's error text and a log line.
#include "core/log.h"

#include <glad/gl.h>

#include <cstdio>
#include <string>

namespace gv::gl {

// True when GL reports an error since the flag was last read; the error text
// names what was being done.
inline bool failed(const char* what, std::string& error) {
    const GLenum e = glGetError();
    if (e == GL_NO_ERROR) return false;
    char code[16];
    std::snprintf(code, sizeof code, "%04X", unsigned(e));
    error = std::string(what) + ": GL error 0x" + code;
    logWrite("(GL: %s)", error.c_str());
    return true;
}

} // namespace gv::gl
