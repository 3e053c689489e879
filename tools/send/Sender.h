// The editing client's run: connects to the live preview and plays the
// track into it, one packet of all the track's channels per frame, by its
// own clock; or sends the single packet of --once. In a terminal it takes
// keys (see Playhead.h) and shows a status line; from a pipe it plays to the
// end of the track.
#pragma once

#include "SendOptions.h"

// The exit status: 0 when played to the end or quit, 1 for a source that
// cannot be loaded or a server that cannot be reached or goes away.
int RunSend(const TSendOptions& options);

// Reads the command line and runs; 2 for a usage error.
int SendMain(int argc, const char* const* argv);
