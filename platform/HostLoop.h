// Who owns the main loop. On the native systems the program does, and the
// loop runs until its frame says the run is over. In a browser the page
// does: the frame runs once per animation frame, the call never returns to
// its caller (whose locals stay alive for the frames), and once the run is
// over the program exits with status 0.
#pragma once
#include <functional>

void RunHostLoop(const std::function<bool()>& frame);

// Whether a frame may sleep while it waits for input or for its next due
// work. Natively yes: the program's loop is its own, and an idle program
// sleeps. In a browser no: the page's loop does the waiting between
// animation frames, and a frame that slept would hold the whole page.
bool HostFramesMayWait();
