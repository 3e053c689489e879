// vemla-send: plays a track or a timeline into the live preview
// ("vemla -vrt"); see Sender.h and SendOptions.h.
#include "Sender.h"

int main(int argc, char** argv) { return SendMain(argc, argv); }
