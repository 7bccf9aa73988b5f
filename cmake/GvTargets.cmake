# Common settings for every target of the project.

function(gv_target_defaults target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 /WX /utf-8)
    else()
        target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
    endif()
    if(GV_HARDEN AND NOT MSVC)
        # What Debian builds its packages with.
        target_compile_options(${target} PRIVATE -fstack-protector-strong -D_FORTIFY_SOURCE=2
                                                 -fstack-clash-protection)
        target_link_options(${target} PRIVATE -Wl,-z,relro -Wl,-z,now)
    endif()
    if(GV_SANITIZE)
        target_compile_options(${target} PRIVATE -fsanitize=address,undefined
                                                 -fno-sanitize-recover=undefined
                                                 -fno-omit-frame-pointer)
        target_link_options(${target} PRIVATE -fsanitize=address,undefined)
    endif()
endfunction()

# gv_library(name SOURCES ... [DEPS ...] [PRIVATE_DEPS ...])
function(gv_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
    gv_target_defaults(${name})
endfunction()

# gv_test(name SOURCES ... DEPS ...): a GoogleTest executable registered with CTest.
function(gv_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    gv_target_defaults(${name})
    # The label list is passed with an escaped separator so that it stays one value.
    set(labels unit ${ARG_LABELS})
    string(REPLACE ";" "\\;" labels "${labels}")
    gtest_discover_tests(${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
                         PROPERTIES LABELS "${labels}" TIMEOUT 120
                         DISCOVERY_TIMEOUT 60)
endfunction()

# SDL2 as SDL2::SDL2 whether this system's SDL2 is shared (Debian) or a
# static build alone (the Windows build's), whose package names it
# SDL2::SDL2-static.
macro(gv_find_sdl2)
    find_package(SDL2 REQUIRED)
    if(NOT TARGET SDL2::SDL2 AND TARGET SDL2::SDL2-static)
        add_library(SDL2::SDL2 ALIAS SDL2::SDL2-static)
    endif()
endmacro()
