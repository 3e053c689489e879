// The program's entry: start-up in order, the mode choice, the main loop and
// shut-down. Returns the process exit status: 0 after a run, 1 when the
// start-up fails, 2 for a command line it cannot follow.
#pragma once

int RunDemo(int argc, const char* const* argv);
