# One interface target carries every third-party library the engine links.
find_package(PkgConfig REQUIRED)
pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET
    libavformat libavcodec libavutil libswscale libswresample)
set(VEILCUT_OPENCV_MODULES core imgproc dnn video tracking)
find_package(OpenCV 4.6 REQUIRED COMPONENTS ${VEILCUT_OPENCV_MODULES})
find_package(Freetype REQUIRED)
find_package(ICU REQUIRED COMPONENTS uc)
find_package(nlohmann_json 3 REQUIRED)
find_package(Threads REQUIRED)
# Still pictures are read and written with libpng and libjpeg-turbo directly.
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
# TFLite models are translated to ONNX in memory with Debian's ONNX protobuf classes.
find_package(Protobuf REQUIRED)
find_package(ONNX REQUIRED)
# RetinaFace runs on Debian's XNNPACK, whose header also needs pthreadpool's.
find_library(XNNPACK_LIBRARY XNNPACK REQUIRED)
find_path(XNNPACK_INCLUDE_DIR xnnpack.h REQUIRED)
find_path(PTHREADPOOL_INCLUDE_DIR pthreadpool.h REQUIRED)

add_library(veilcut_deps INTERFACE)
add_library(veilcut::deps ALIAS veilcut_deps)
target_link_libraries(veilcut_deps INTERFACE
    PkgConfig::FFMPEG Freetype::Freetype ICU::uc
    nlohmann_json::nlohmann_json Threads::Threads onnx_proto PNG::PNG JPEG::JPEG
    ${XNNPACK_LIBRARY})
# Only the modules used: ${OpenCV_LIBS} would load every module (and GDAL, HDF5, VTK...) at
# every start of the program.
foreach(module IN LISTS VEILCUT_OPENCV_MODULES)
    target_link_libraries(veilcut_deps INTERFACE opencv_${module})
endforeach()
target_include_directories(veilcut_deps SYSTEM INTERFACE ${OpenCV_INCLUDE_DIRS}
    ${XNNPACK_INCLUDE_DIR} ${PTHREADPOOL_INCLUDE_DIR})
# OpenCV's CMake targets name modules we never call (highgui, videoio, image codecs); linking
# only what is used keeps the program from loading them, and GDAL and Poppler behind them.
target_link_options(veilcut_deps INTERFACE -Wl,--as-needed)
