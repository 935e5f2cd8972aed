# Fails when a file includes a library outside the folders allowed to use it:
# Qt only in view/ folders and src/app/, FFmpeg only in src/platform/media/,
# OpenCV/FreeType/ICU only in src/platform/ (and the Image header's cv::Mat).
file(GLOB_RECURSE files "${SOURCE_DIR}/src/*.h" "${SOURCE_DIR}/src/*.cpp")
set(violations "")
foreach(f IN LISTS files)
    file(RELATIVE_PATH rel "${SOURCE_DIR}" "${f}")
    file(STRINGS "${f}" includes REGEX "^[ \t]*#[ \t]*include")
    foreach(line IN LISTS includes)
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
