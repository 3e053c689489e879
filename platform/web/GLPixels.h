// How glReadPixels lays RGB pixels into memory under the pack parameters,
// which WebGL, reading colour only as RGBA, leaves to the browser's GL
// layer. Plain arithmetic without GL: the native tests hold it against the
// system's GL.
#pragma once
#include <cstdint>

// glPixelStorei's GL_PACK_ALIGNMENT, _ROW_LENGTH, _SKIP_PIXELS, _SKIP_ROWS.
struct TPackParameters {
  int Alignment = 4;
  int RowLength = 0;  // 0: the width read
  int SkipPixels = 0;
  int SkipRows = 0;
};

// Lays width x height RGBA pixels (tightly packed rows, bottom first, as
// WebGL reads them) into destination as glReadPixels(..., GL_RGB,
// GL_UNSIGNED_BYTE, destination) does: three bytes a pixel, in rows of
// RowLength pixels (the width where 0) padded to Alignment bytes, from
// SkipRows rows and SkipPixels pixels in; nothing else is written.
void PackRgbRows(const uint8_t* rgba, int width, int height, const TPackParameters& pack, uint8_t* destination);
