# Read after project() in a MinGW-w64 cross build (mingw-w64-x86_64.cmake
# names it): libraries are found as static archives only, never as the
# import libraries of DLLs that would have to travel with the program.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
