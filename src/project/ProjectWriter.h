#pragma once
// Writes a project document as JSON text, keys in a fixed order, so that writing what was read
// gives the same bytes again. Pure; any thread.

#include <string>

#include "project/ProjectDocument.h"

std::string projectText(const ProjectDocument& document);
// Writes to a temporary file beside `path` and renames it into place, so an interrupted save
// never leaves a half-written project; an existing file is replaced only with `overwrite` (see
// OutputFile). The one-line reason on failure, or empty.
std::string writeProjectFile(const ProjectDocument& document, const std::string& path,
                             bool overwrite);
