#pragma once
// Where "Save to Library" puts an edited movie: in the source's own folder (its album), named
// after it and never over it or any file already there. Main thread.

#include <string>

// "NAME (Veilcut).mp4" beside `sourcePath`, or "NAME (Veilcut 2).mp4" and so on when taken.
std::string libraryDestination(const std::string& sourcePath);
