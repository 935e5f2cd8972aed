#pragma once
// Parses the whole command line with the commands' option tables and runs the command named.

// Returns the exit status.
int runCommandLine(int argc, char** argv);
