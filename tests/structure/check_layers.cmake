# Fails when an include runs against the program's layers.
#
#   cmake -DSOURCE_DIR=<project> -DWIDGETS_DIR=<QtWidgets include dir> -P check_layers.cmake
#
# Every folder has a rank; a file may include files of its own folder and of
# folders of a lower rank only, so no two folders can include each other,
# directly or through a third. The rules and the program-wide state include
# no widget header at all (the platform layer, our layer over Qt, may).

set(RANKS
    platform 0
    state 1
    rules/spd 10
    rules/jedec 11
    rules/device 12
    rules/decode 13
    rules/wizard 14
    rules/editors 15
    rules/report 16
    resources 20
    document 30
    device 31
    wizard 32
    editors 33
    app 40)

function(folder_of path out)
    string(REGEX MATCH "^[^/]+" top "${path}")
    if(top STREQUAL "rules")
        string(REGEX MATCH "^rules/[^/]+" top "${path}")
    endif()
    set(${out} "${top}" PARENT_SCOPE)
endfunction()

function(rank_of folder out)
    list(FIND RANKS "${folder}" at)
    if(at EQUAL -1)
        set(${out} "" PARENT_SCOPE)
    else()
        math(EXPR at "${at} + 1")
        list(GET RANKS ${at} r)
        set(${out} "${r}" PARENT_SCOPE)
    endif()
endfunction()

set(widget_headers)
if(WIDGETS_DIR AND IS_DIRECTORY "${WIDGETS_DIR}")
    file(GLOB widget_headers RELATIVE "${WIDGETS_DIR}" "${WIDGETS_DIR}/*")
endif()

set(failures 0)
set(checked 0)
file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.cpp")
foreach(file ${sources})
    folder_of("${file}" from)
    rank_of("${from}" from_rank)
    if(from_rank STREQUAL "")
        if(NOT file MATCHES "^(tests|tools|build[^/]*)/")
            message(SEND_ERROR "${file}: its folder ${from} has no place in the layers")
            math(EXPR failures "${failures} + 1")
        endif()
        continue()
    endif()
    math(EXPR checked "${checked} + 1")
    file(STRINGS "${SOURCE_DIR}/${file}" lines REGEX "^[ \t]*#[ \t]*include")
    foreach(line ${lines})
        if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
            set(target "${CMAKE_MATCH_1}")
            folder_of("${target}" to)
            rank_of("${to}" to_rank)
            if(to_rank STREQUAL "")
                if(NOT EXISTS "${SOURCE_DIR}/${from}/${target}" AND NOT target MATCHES "\\.moc$")
                    message(SEND_ERROR "${file} includes ${target}, which lies in no layer")
                    math(EXPR failures "${failures} + 1")
                endif()
            elseif(NOT to STREQUAL from AND NOT to_rank LESS from_rank)
                message(SEND_ERROR "${file} (${from}) includes ${target} (${to}): against the layers")
                math(EXPR failures "${failures} + 1")
            endif()
        elseif(line MATCHES "#[ \t]*include[ \t]*<([^>/]+)>" AND from_rank GREATER 0 AND from_rank LESS 20)
            set(target "${CMAKE_MATCH_1}")
            list(FIND widget_headers "${target}" widget)
            if(NOT widget EQUAL -1 OR target STREQUAL "QtWidgets")
                message(SEND_ERROR "${file} (${from}) includes the widget header <${target}>")
                math(EXPR failures "${failures} + 1")
            endif()
        endif()
    endforeach()
endforeach()

if(checked EQUAL 0)
    message(FATAL_ERROR "no source file found under ${SOURCE_DIR}")
endif()
if(NOT widget_headers)
    message(FATAL_ERROR "no widget header found under '${WIDGETS_DIR}'")
endif()
if(failures GREATER 0)
    message(FATAL_ERROR "${failures} include(s) against the layers")
endif()
message(STATUS "${checked} files keep to the layers")
