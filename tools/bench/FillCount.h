// Counting the pixels a frame's draws fill: every fragment that reaches the
// frame (or a render texture) is counted by an occlusion query, whether it is
// blended, depth-tested or neither, and the count is given in full 800 x 600
// frames' worth of pixels ("layers"). Clears and copies fill nothing.
// Where the driver counts its fragment shader's runs, those are counted too
// ("shaded"): a tile rasteriser shades whole blocks of pixels, so a frame of
// thin triangles shades far more pixels than it fills.
#pragma once
#include <cstdint>

struct TFrameFill {
  double Layers = 0;
  double Shaded = 0;  // 0 where the driver does not count its shader's runs
};

class TFillCounter {
 public:
  // False when the context has no occlusion queries; the counter then
  // counts nothing and every frame reads 0 layers.
  bool Start();
  // Begins counting the next frame's fragments.
  void BeginFrame();
  // Ends the frame begun last and waits for its counts, in layers.
  TFrameFill EndFrame();
  bool Counting() const { return Query != 0; }

 private:
  uint32_t Query = 0;
  uint32_t ShaderQuery = 0;
  bool Open = false;
};

// The benchmark's reference: one textured, alpha-blended quad over the whole
// 800 x 600 frame, drawn ten times, so exactly ten layers.
void DrawReferenceFrame(uint32_t texture);
constexpr int ReferenceLayers = 10;
