# Fails when a link of the README or of a reference page in docs/ leads
# nowhere, or when a page of docs/ is linked from nowhere in the README.
#
#   cmake -DSOURCE_DIR=<project> -P check_doc_links.cmake
#
# A link is a Markdown link "[text](target)" to a file of the project (web
# addresses and anchors of a page are not followed); its target is taken
# from the folder of the page that holds it.

cmake_minimum_required(VERSION 3.25)

file(GLOB pages RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/docs/*.md")
set(broken "")
set(linked "")
foreach(page README.md ${pages})
    file(READ "${SOURCE_DIR}/${page}" text)
    get_filename_component(folder "${SOURCE_DIR}/${page}" DIRECTORY)
    # A bracket would hold list items together: the link's opening goes first.
    string(REPLACE "](" "@LINK@" text "${text}")
    string(REGEX MATCHALL "@LINK@[^)# ]+" links "${text}")
    foreach(link ${links})
        string(REPLACE "@LINK@" "" target "${link}")
        if(target MATCHES "^[a-z]+:")
            continue()
        endif()
        get_filename_component(full "${folder}/${target}" ABSOLUTE)
        if(NOT EXISTS "${full}")
            string(APPEND broken "\n  ${page}: ${target}")
        elseif(page STREQUAL "README.md")
            file(RELATIVE_PATH rel "${SOURCE_DIR}" "${full}")
            list(APPEND linked "${rel}")
        endif()
    endforeach()
endforeach()
foreach(page ${pages})
    if(NOT page IN_LIST linked)
        string(APPEND broken "\n  docs page not linked from README.md: ${page}")
    endif()
endforeach()
if(broken)
    message(FATAL_ERROR "Links that lead nowhere:${broken}")
endif()
list(LENGTH linked n)
message(STATUS "${n} links of README.md resolve")
