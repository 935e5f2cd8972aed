#pragma once
// OpenCV spreads image loops over its own worker pool. Under ThreadSanitizer that pool (TBB,
// not instrumented) makes every image operation look like a race, hiding real ones; sanitizer
// builds therefore run OpenCV's loops on the calling thread. Call once at start-up.

void configureImageThreads();
