// The program's entry: start-up in order, the mode choice, the main loop and
// shut-down. Returns the process exit status.
#pragma once

int RunDemo(int argc, const char* const* argv);
// The normal-mode main loop: samples the track and renders until Escape,
// the end of the track or a closed window.
class TVRTReader;
class TETimer;
void RunMainLoop(TVRTReader& track, TETimer& timer);
