#pragma once
// How `veilcut anonymize` hides what it finds: the look of every face, the background style and
// the scan's reach. One table of options for one file and for a batch; a batch hands the same
// choices to each file's run as words of its command line, and the audit report records them.

#include <string>
#include <vector>

#include "core/StyleKind.h"
#include "faces/FaceHiding.h"
#include "faces/FaceScanReach.h"

class EditSession;
namespace CLI {
class App;
}

struct AnonymizeOptions {
    FaceHiding face;                           // its emoji empty: the catalogue's first
    StyleKind background = StyleKind::normal;  // normal: off
    FaceScanReach reach = FaceScanReach::careful;
};

// Adds --type, --style, --intensity, --softness, --scale, --emoji, --background, --small-faces
// and --fast, read into `options`.
void addAnonymizeOptions(CLI::App& app, AnonymizeOptions& options);

// The options as command-line words that read back to the same values.
std::vector<std::string> optionWords(const AnonymizeOptions& options);

// The emoji a face of `options` shows when its type is emoji.
std::string effectiveEmoji(const AnonymizeOptions& options);

// Gives every face region of the session not yet hidden the look of `options`, and styles the
// background. Main thread.
void applyAnonymizeOptions(EditSession& session, const AnonymizeOptions& options);
