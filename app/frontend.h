// The command-line front end: `tabulo <file name> <sort key>`.
#pragma once

#include <cstdio>

// Runs the tool with the process's arguments, writing its messages to `out`.
// Returns the process exit status (docs/cli.md lists the codes).
int runFrontEnd(int argc, char** argv, std::FILE* out);
