#pragma once

#include "app/CommandLine.h"

#include <functional>

namespace quillo {

// Runs the program for one command line; returns the process exit status.
// Creates the application object itself, since the mode decides which one
// (no display is needed to import a key, run the self-test or render).
int runQuillo(int argc, char *argv[]);

} // namespace quillo
