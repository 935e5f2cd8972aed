#pragma once
// How hard the face scan looks at each frame.

enum class FaceScanReach {
    // BlazeFace's search and RetinaFace's looks (FaceSearch): faces down to about 24
    // pixels tall in a 1080p frame, dim, half-turned and sunglassed ones included.
    careful,
    // The same with smaller tiles, which also reach faces of about 15 pixels.
    smallFaces,
    // BlazeFace's search alone: about twice as fast, and it misses many of the dim,
    // half-turned and sunglassed faces. Only ever asked for.
    fast,
};
