// The sync editor's start-up and shut-down (vemla-edit): the options, the
// timeline and the run directory found, the script read, the window with
// Dear ImGui, the demo's content and music loaded for the preview, and the
// editor run. Returns the exit status: 0 after quitting, 1 when something
// it needs is missing, 2 for a command line or a script it cannot follow.
#pragma once

int EditMain(int argc, const char* const* argv);
