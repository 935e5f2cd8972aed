#pragma once
// Parses the whole command line with the commands' option tables and runs the command named.

#include "cli/EditorEntry.h"

// Returns the exit status. With `editor`, `open` starts it, and so does a bare `veilcut` when
// there is a display; without, `veilcut` alone prints the help.
int runCommandLine(int argc, char** argv, const EditorEntry& editor = {});
