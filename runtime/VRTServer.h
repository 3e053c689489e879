// The live parameter server: with "-vrt" the program becomes a preview
// target for a parameter-editing tool, rendering the channel values it
// receives over TCP.
#pragma once

// The server's message loop; returns when it ends.
void RunServerMode();
