// The stamp room: a field of stamping presses with particle flashes.
#pragma once

void InitStampRoom();
void RenderStampRoom();
