#include "scenes/VemlaStempel.h"

// Not built yet.
void InitStampRoom() {}
void RenderStampRoom() {}
