#include "platform/image/ImageThreads.h"

#include <opencv2/core/utility.hpp>

void configureImageThreads() {
#if defined(__SANITIZE_THREAD__)
    cv::setNumThreads(1);
#endif
}
