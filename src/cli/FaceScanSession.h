#pragma once
// Opens a video for a headless face command and runs the session's face scan on it, with a
// progress bar on stderr. Main thread; pumps the main queue until the scan has ended.

#include <string>

class EditSession;

// True with the video open in `session` and every person's face region in its face editor;
// false with `error` holding the one-line reason and `status` the exit status. `smallFaces`
// also looks for faces in tiles of each frame (slower).
bool scanVideo(EditSession& session, const std::string& path, bool smallFaces, std::string& error,
               int& status);
