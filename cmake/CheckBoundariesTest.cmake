# The include-boundary check must fail on each planted violation and pass a tree without one.
# Usage: cmake -DCHECK=<CheckBoundaries.cmake> -DSCRATCH=<folder> -P CheckBoundariesTest.cmake
cmake_minimum_required(VERSION 3.25)

# Runs the check on a scratch tree holding `file` with `text`; `expect` is PASS or FAIL.
function(expect_check expect file text)
    file(REMOVE_RECURSE "${SCRATCH}")
    file(WRITE "${SCRATCH}/src/${file}" "${text}\n")
    file(WRITE "${SCRATCH}/src/platform/image/Image.h" "#include <opencv2/core.hpp>\n")
    execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${SCRATCH} -P ${CHECK}
                    RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE error)
    if(expect STREQUAL "PASS" AND NOT status EQUAL 0)
        message(FATAL_ERROR "src/${file} with '${text}' was refused:\n${error}")
    elseif(expect STREQUAL "FAIL" AND status EQUAL 0)
        message(FATAL_ERROR "src/${file} with '${text}' was let through")
    endif()
endfunction()

expect_check(FAIL core/Upward.h "#include \"session/EditSession.h\"")
expect_check(FAIL platform/media/Upward.cpp "#include \"core/SourceVideo.h\"")
expect_check(FAIL regions/Upward.h "#include \"shapes/Shape.h\"")
expect_check(FAIL faces/Sideways.cpp "#include \"objects/ObjectEditor.h\"")
expect_check(FAIL project/Sideways.cpp "#include \"faces/FaceEditor.h\"")
expect_check(FAIL session/Upward.cpp "#include \"cli/Command.h\"")
expect_check(FAIL core/Qt.cpp "#include <QWidget>")
expect_check(FAIL regions/Pixels.cpp "#include <opencv2/imgproc.hpp>")
expect_check(PASS faces/Down.cpp "#include \"regions/TrackedRegion.h\"\n#include \"faces/FaceScan.h\"")
expect_check(PASS session/Down.cpp "#include \"faces/FaceEditor.h\"\n#include \"shapes/Shape.h\"")
expect_check(PASS cli/Down.cpp "#include \"session/EditSession.h\"")
file(REMOVE_RECURSE "${SCRATCH}")
