#pragma once
// The rotated square around one person that the pose landmark model looks at, in top-down
// frame pixels. It is derived from two alignment points (the hip centre and a point whose
// distance from it gives the body's size and whose direction gives its rotation), as both the
// pose detector and the landmark model report them. Value type; any thread.

#include <opencv2/core.hpp>

struct PoseRegion {
    cv::Point2f center;
    float side = 0;
    float rotation = 0;  // radians, clockwise on screen

    // Enlarged by 1.25 so the whole body fits with a margin.
    static PoseRegion fromAlignment(cv::Point2f hipCenter, cv::Point2f sizePoint);
    // Maps the region onto a side×side model input (top-left of the region to (0, 0)).
    cv::Matx23f toModel(int modelSide) const;
};
