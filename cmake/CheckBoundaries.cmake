# Fails when a file includes something its folder may not use:
# - a layer above its own, or another feature (docs/architecture.md): platform <- core <-
#   regions <- the features (shapes, faces, objects, background; none includes another),
#   project, render, player, timeline <- session <- the front ends (cli, app), which only the
#   program's main (a file directly in src/) puts together;
# - Qt outside view/ folders and src/app/, FFmpeg outside src/platform/media/, OpenCV, FreeType
#   or ICU outside src/platform/ (the Image header's cv::Mat aside).
# Usage: cmake -DSOURCE_DIR=<tree> -P CheckBoundaries.cmake
cmake_minimum_required(VERSION 3.25)
set(below_platform "")
set(below_core platform)
set(below_regions platform core)
set(below_feature platform core regions)
set(below_session platform core regions shapes faces objects background project render player
    timeline)
set(below_frontend ${below_session} session)
set(features shapes faces objects background project render player timeline)

# The layers a file in `layer` may include besides its own. A file directly in src/ (the
# program's main) puts the front ends together and may include anything.
function(allowed_layers layer out)
    if(layer STREQUAL "")
        set(${out} ${layers} PARENT_SCOPE)
    elseif(layer STREQUAL "platform" OR layer STREQUAL "core" OR layer STREQUAL "regions")
        set(${out} ${below_${layer}} PARENT_SCOPE)
    elseif(layer IN_LIST features)
        set(${out} ${below_feature} PARENT_SCOPE)
    elseif(layer STREQUAL "session")
        set(${out} ${below_session} PARENT_SCOPE)
    else()
        set(${out} ${below_frontend} PARENT_SCOPE)
    endif()
endfunction()

set(layers platform core regions ${features} session cli app)
file(GLOB_RECURSE files "${SOURCE_DIR}/src/*.h" "${SOURCE_DIR}/src/*.cpp" "${SOURCE_DIR}/src/*.inc")
set(violations "")
foreach(f IN LISTS files)
    file(RELATIVE_PATH rel "${SOURCE_DIR}" "${f}")
    string(REGEX MATCH "^src/([a-z]+)/" _ "${rel}")
    set(layer "${CMAKE_MATCH_1}")
    allowed_layers("${layer}" allowed)
    file(STRINGS "${f}" includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS includes)
        if(line MATCHES "\"([a-z]+)/[^\"]*\"" AND CMAKE_MATCH_1 IN_LIST layers)
            set(used "${CMAKE_MATCH_1}")
            if(NOT used STREQUAL layer AND NOT used IN_LIST allowed)
                list(APPEND violations "${rel}: ${layer} may not include ${used}: ${line}")
            endif()
        endif()
        if(line MATCHES "[<\"](Q[A-Za-z]+|Qt[A-Za-z]+/)" AND NOT rel MATCHES "(/view/|^src/app/)")
            list(APPEND violations "${rel}: Qt outside view/ and src/app/: ${line}")
        endif()
        if(line MATCHES "[<\"]lib(avformat|avcodec|avutil|swscale|swresample)/"
           AND NOT rel MATCHES "^src/platform/media/")
            list(APPEND violations "${rel}: FFmpeg outside src/platform/media/: ${line}")
        endif()
        if(line MATCHES "[<\"](opencv2/|ft2build|freetype/|unicode/)"
           AND NOT rel MATCHES "^src/platform/")
            list(APPEND violations "${rel}: OpenCV/FreeType/ICU outside src/platform/: ${line}")
        endif()
    endforeach()
endforeach()
if(violations)
    list(JOIN violations "\n" text)
    message(FATAL_ERROR "Include boundary violations:\n${text}")
endif()
