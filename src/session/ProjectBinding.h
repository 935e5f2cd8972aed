#pragma once
// Moves a project between its document form and the edit state: loading fills the editors
// (after emptying them), saving reads them back. Main thread.

#include <optional>
#include <string>

#include "project/ProjectDocument.h"

class SourceVideo;
class EditSession;
class TrackedRegion;

// A tracked region of the document for `source`: its samples and look, the span from its
// samples (as a scan or tracking pass leaves it) unless the document gives a trim.
TrackedRegion regionFromProject(const ProjectRegion& region, const SourceVideo& source);
// The document form of a tracked region.
ProjectRegion projectRegion(const TrackedRegion& region);

// Fills `edit` from `document` for the loaded `source`. Returns the first problem that only
// the source can reveal (e.g. a trim beyond the video), naming its JSON path; nothing on success.
std::optional<std::string> applyProject(const ProjectDocument& document, const SourceVideo& source,
                                        EditSession& edit);

// The document of the current edits of `edit`, with `sourcePath` as its source.
ProjectDocument projectFromEdits(const EditSession& edit, const std::string& sourcePath);
