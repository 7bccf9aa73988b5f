# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers (the
# "posix" thread model, for std::thread). Everything is linked statically:
# the C and C++ runtimes, the thread library and the libraries of
# GV_MINGW_PREFIXES (a list of install prefixes, as scripts/windows_libraries.sh
# makes them), so that each program is one file.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(CMAKE_AR ${triple}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${triple}-ranlib CACHE FILEPATH "")

# The toolchain's own root, then the prefixes of the cross-built libraries.
set(CMAKE_FIND_ROOT_PATH /usr/${triple} ${GV_MINGW_PREFIXES})
set(CMAKE_PREFIX_PATH ${GV_MINGW_PREFIXES})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Passed on to try_compile projects, which read this file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES GV_MINGW_PREFIXES)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Whatever is looked up by name (pkg-config's -lz) is a static archive: set
# after the platform's own list, once project() has run.
set(CMAKE_PROJECT_INCLUDE ${CMAKE_CURRENT_LIST_DIR}/mingw-w64-static.cmake)
# -O2 as the Linux builds have it (GCC 12's -O3 warns falsely of overlapping
# copies in std::string), and the programs stripped.
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "")
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "")
set(CMAKE_EXE_LINKER_FLAGS_RELEASE "-s" CACHE STRING "")

# pkg-config sees only the cross-built libraries and the toolchain's own
# (zlib), with what their static archives need in turn (Libs.private).
set(pc_dirs /usr/${triple}/lib/pkgconfig)
foreach(prefix ${GV_MINGW_PREFIXES})
    list(APPEND pc_dirs ${prefix}/lib/pkgconfig)
endforeach()
string(REPLACE ";" ":" pc_dirs "${pc_dirs}")
set(ENV{PKG_CONFIG_LIBDIR} "${pc_dirs}")
set(ENV{PKG_CONFIG_PATH} "")
set(PKG_CONFIG_ARGN --static)

# OpenSSL's own static archives, not import libraries.
set(OPENSSL_USE_STATIC_LIBS TRUE)
