#pragma once
// Whether a file is taken for a video by its name alone: the library lists folders of any size,
// so it never opens a file to decide. Any thread.

#include <string_view>

// True for the extensions of the usual video containers (mp4, mov, m4v, mkv, webm, avi, ...),
// in any letter case; false for hidden files (a save still being written is one).
bool isVideoFileName(std::string_view name);
