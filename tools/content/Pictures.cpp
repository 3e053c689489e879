#include "Pictures.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "Text.h"
#include "platform/Types.h"

namespace {

constexpr float Pi = std::numbers::pi_v<float>;

TColor4 operator+(TColor4 a, TColor4 b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
TColor4 operator*(TColor4 a, float s) { return {a.r * s, a.g * s, a.b * s}; }
TColor4 Mix(TColor4 a, TColor4 b, float t) { return a * (1 - t) + b * t; }

TColor4 Hue(float h) {
  h -= std::floor(h);
  float r = std::clamp(std::fabs(h * 6 - 3) - 1, 0.0f, 1.0f);
  float g = std::clamp(2 - std::fabs(h * 6 - 2), 0.0f, 1.0f);
  float b = std::clamp(2 - std::fabs(h * 6 - 4), 0.0f, 1.0f);
  return {r, g, b};
}

void Set(Image& img, int x, int y, TColor4 c) {
  float* p = img.At(x, y);
  p[0] = c.r;
  p[1] = c.g;
  p[2] = c.b;
}

// Smooth value noise from a fixed hash, for brushed and cloudy surfaces.
float Hash(int x, int y) {
  uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  return ((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
}
float ValueNoise(float x, float y) {
  int xi = int(std::floor(x)), yi = int(std::floor(y));
  float fx = x - xi, fy = y - yi;
  fx = fx * fx * (3 - 2 * fx);
  fy = fy * fy * (3 - 2 * fy);
  float a = Hash(xi, yi), b = Hash(xi + 1, yi), c = Hash(xi, yi + 1), d = Hash(xi + 1, yi + 1);
  return (a * (1 - fx) + b * fx) * (1 - fy) + (c * (1 - fx) + d * fx) * fy;
}

// A sphere map: each pixel shows what a mirror ball reflects in direction R,
// from the world colour function `world` (y up, the viewer on +z).
Image SphereMap(int size, TColor4 (*world)(float, float, float)) {
  Image img(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float nx = (x + 0.5f) / (size * 0.5f) - 1, ny = 1 - (y + 0.5f) / (size * 0.5f);
      float r2 = nx * nx + ny * ny;
      // Outside the ball nothing is ever looked up but what filtering and
      // the smaller mipmap levels take in: black beyond a thin band of the
      // rim's colour, so that far, small dials (drawn from those levels)
      // are not lit by the corners.
      if (r2 > 1.04f) continue;
      if (r2 > 1) {
        float r = std::sqrt(r2);
        nx /= r;
        ny /= r;
        r2 = 1;
      }
      float nz = std::sqrt(std::max(0.0f, 1 - r2));
      Set(img, x, y, world(2 * nz * nx, 2 * nz * ny, 2 * nz * nz - 1));
    }
  return img;
}

// Mostly dark, so that eleven additive layers of a flat dial do not burn out
// to white; bright lights and the horizon give the rims and marks their glints.
// What piles up where many dials overlap (the nest's centre, the tunnel's
// far end, seen through small mipmap levels) is the map's average, so the
// broad sky is nearly black and the lights and the horizon are thin and
// bright: glints keep their peak while the average stays low. The floor's
// grid is orange, which adds colour but, short of blue, never white.
TColor4 ChromeSurroundings(float rx, float ry, float rz) {
  float az = std::atan2(rx, rz);
  if (ry >= 0) {
    TColor4 sky = Mix(TColor4{0.05f, 0.05f, 0.06f}, TColor4{0.01f, 0.02f, 0.1f}, std::pow(ry, 0.45f));
    float clouds = ValueNoise(az * 3 + 10, ry * 6) * 0.5f + ValueNoise(az * 7, ry * 14) * 0.25f;
    sky = sky + TColor4{0.06f, 0.07f, 0.1f} * std::max(0.0f, clouds - 0.35f) * (1 - ry);
    float sun = std::max(0.0f, (rx * 0.35f + ry * 0.75f + rz * 0.56f));
    sky = sky + TColor4{1.0f, 0.85f, 0.55f} * (std::pow(sun, 120.0f) * 2 + std::pow(sun, 12.0f) * 0.25f);
    // Tall studio lights.
    for (float a : {-2.2f, 1.9f, 0.4f})
      sky = sky + TColor4{0.7f, 0.85f, 1.0f} * (std::exp(-std::pow((az - a) * 24, 2.0f)) * (ry < 0.55f ? 1.3f : 0.0f));
    return sky + TColor4{1, 0.95f, 0.9f} * std::exp(-ry * 60) * 0.6f;
  }
  float d = -ry;
  float gx = rx / d, gz = rz / d;
  float line = std::max(std::exp(-std::pow((gx - std::round(gx)) * 14, 2.0f)),
                        std::exp(-std::pow((gz - std::round(gz)) * 14, 2.0f)));
  TColor4 floor = TColor4{0.02f, 0.02f, 0.03f} + TColor4{0.9f, 0.45f, 0.15f} * (line * 0.6f * std::min(1.0f, d * 3));
  return floor + TColor4{1, 0.9f, 0.8f} * std::exp(-d * 48) * 0.5f;
}

// What lies behind the viewer is dimmed most: a dial turned to the camera
// reflects it, and in the nest and the tunnel many such dials overlap. The
// tunnel is drawn twice over its own glow and, in the pea swarm, under a
// green veil that lifts every pixel by up to 0.6, so the whole world stays
// dim.
TColor4 ChromeWorld(float rx, float ry, float rz) {
  float behind = std::max(0.0f, rz);
  return ChromeSurroundings(rx, ry, rz) * (0.55f * (1 - 0.8f * behind * behind));
}

TColor4 MetalWorld(float rx, float ry, float rz) {
  float az = std::atan2(rx, rz);
  TColor4 c;
  if (ry >= 0)
    c = Mix(TColor4{0.85f, 0.9f, 0.97f}, TColor4{0.35f, 0.42f, 0.55f}, std::pow(ry, 0.7f));
  else
    c = Mix(TColor4{0.55f, 0.6f, 0.68f}, TColor4{0.12f, 0.14f, 0.18f}, std::pow(-ry, 0.5f));
  for (float a : {-1.2f, 2.4f})
    c = c + TColor4{0.8f, 0.9f, 1.0f} * (std::exp(-std::pow((az - a) * 4, 2.0f)) * std::max(0.0f, 1 - std::fabs(ry - 0.3f) * 2));
  return c;
}

Image Brushed(Image img) {
  for (int y = 0; y < img.Height; ++y)
    for (int x = 0; x < img.Width; ++x) {
      float streak = ValueNoise(x * 0.02f, y * 1.7f) * 0.6f + ValueNoise(x * 0.05f + 50, y * 0.6f) * 0.4f;
      float k = 0.88f + 0.24f * streak;
      float* p = img.At(x, y);
      for (int i = 0; i < 3; ++i) p[i] *= k;
    }
  return img;
}

Image Plasma(int size, float hueShift, float scale) {
  Image img(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float u = x * scale / size, v = y * scale / size;
      float p = std::sin(u * 5) + std::sin(v * 4 + 1) + std::sin((u + v) * 3) + std::sin(std::hypot(u - 3, v - 2) * 4);
      TColor4 c = Hue(p * 0.15f + hueShift) * (0.55f + 0.45f * std::sin(p * 2.0f));
      Set(img, x, y, c);
    }
  return img;
}

Image Sparks(int size) {
  Image img(size, size);
  uint32_t seed = 1234;
  auto rnd = [&]() {
    seed = seed * 134775813u + 1;
    return seed / 4294967296.0f;
  };
  float c = size * 0.5f;
  for (int i = 0; i < 90; ++i) {
    float a = rnd() * 2 * Pi, r0 = rnd() * size * 0.1f, r1 = r0 + size * (0.1f + rnd() * 0.35f);
    float w = 0.8f + rnd() * 1.5f;
    AddLine(img, c + std::cos(a) * r0, c + std::sin(a) * r0, c + std::cos(a) * r1, c + std::sin(a) * r1, w, 1.0f,
            0.6f + 0.3f * rnd(), 0.2f);
  }
  AddGlow(img, c, c, size * 0.12f, 1.0f, 0.8f, 0.4f);
  return img;
}

// Warp picture: a rainbow kaleidoscope behind a clock dial. The warp echo
// adds six blurred copies of it, so it is painted dim. The opening slide is
// drawn over the right of the screen: the rainbow is full on the left and
// fades to nearly black towards the right (the echo's blur runs along the
// rays from the middle, so a side stays dark), and the dial, whose blurred
// glint crosses the slide's words, is dimmer still.
Image WarpPicture(int size) {
  constexpr float RainbowLevel = 0.22f, DarkSideLevel = 0.04f, DarkSideWidth = 3.0f, DialLevel = 0.05f;
  Image img(size, size);
  float c = size * 0.5f;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float dx = (x + 0.5f - c) / c, dy = (y + 0.5f - c) / c;
      float r = std::hypot(dx, dy), a = std::atan2(dy, dx);
      float petals = std::sin(a * 6 + r * 9) * 0.5f + 0.5f;
      TColor4 col = Hue(a / (2 * Pi) + r * 0.6f) * (0.35f + 0.65f * petals);
      col = col * (0.6f + 0.4f * std::sin(r * 40) * std::sin(r * 40));
      // 1 on the left, DarkSideLevel on the right; a larger DarkSideWidth
      // darkens more of the right.
      float side = DarkSideLevel + (1 - DarkSideLevel) * std::pow(0.5f - 0.5f * std::cos(a), DarkSideWidth);
      Set(img, x, y, col * (std::clamp(1.4f - r * 0.5f, 0.0f, 1.0f) * RainbowLevel * side));
    }
  const float d = DialLevel;
  AddRing(img, c, c, size * 0.36f, size * 0.02f, d, d, d);
  AddRing(img, c, c, size * 0.3f, size * 0.006f, d, d, 0.8f * d);
  for (int h = 0; h < 12; ++h) {
    float a = 2 * Pi * h / 12;
    float r0 = size * (h % 3 == 0 ? 0.24f : 0.27f), r1 = size * 0.33f;
    AddLine(img, c + std::cos(a) * r0, c + std::sin(a) * r0, c + std::cos(a) * r1, c + std::sin(a) * r1,
            size * 0.012f, d, d, d);
  }
  AddLine(img, c, c, c + size * 0.12f, c - size * 0.1f, size * 0.018f, d, 0.9f * d, 0.7f * d);
  AddLine(img, c, c, c - size * 0.05f, c - size * 0.26f, size * 0.012f, d, 0.9f * d, 0.7f * d);
  AddGlow(img, c, c, size * 0.02f, d, d, d);
  return img;
}

// A glowing wall panel. Its edge bands line up with the room's panel frames:
// frame 5 %, bevel to 17 %, recessed face inside. Every view through the room
// crosses five nested copies of its walls, added up, so the panel is dim.
Image WallPanel(int size) {
  Image img(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
      float edge = std::min(std::min(u, 1 - u), std::min(v, 1 - v));
      TColor4 c{0.02f, 0.025f, 0.04f};
      c = c + TColor4{0.1f, 0.6f, 0.9f} * std::exp(-std::pow((edge - 0.05f) * 90, 2.0f));
      c = c + TColor4{0.3f, 0.3f, 0.5f} * (edge > 0.05f && edge < 0.17f ? 0.25f * (0.17f - edge) / 0.12f : 0.0f);
      if (edge > 0.17f) {
        float inner = (edge - 0.17f) / 0.33f;
        TColor4 glow = Mix(TColor4{0.9f, 0.3f, 0.7f}, TColor4{0.2f, 0.5f, 1.0f}, v);
        c = c + glow * (0.25f + 0.35f * std::exp(-inner * 6));
        float gx = u * 8 - std::floor(u * 8) - 0.5f, gy = v * 8 - std::floor(v * 8) - 0.5f;
        c = c + TColor4{0.8f, 0.9f, 1.0f} * (std::exp(-(gx * gx + gy * gy) * 60) * 0.5f);
      }
      Set(img, x, y, c * 0.5f);
    }
  return img;
}

Image Particle(int size) {
  Image img(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float d = std::hypot(x + 0.5f - size * 0.5f, y + 0.5f - size * 0.5f) / (size * 0.5f);
      // A small hot core in a faint halo: a flash is drawn 200 units wide,
      // brighter than full, and many cells flash together on the beat.
      float v = std::max(0.0f, 0.12f * std::exp(-d * d * 12) + 0.55f * std::exp(-d * d * 110) - 0.0001f);
      v *= std::clamp((1 - d) * 8, 0.0f, 1.0f);
      Set(img, x, y, {v, v, v});
    }
  return img;
}

// Shapes for the slides: a ring of ticks like a clock dial.
void DialMotif(Image& img, float cx, float cy, float radius, TColor4 c) {
  AddRing(img, cx, cy, radius, 3, c.r, c.g, c.b);
  for (int m = 0; m < 60; ++m) {
    float a = 2 * Pi * m / 60, len = m % 5 == 0 ? 16.0f : 7.0f;
    AddLine(img, cx + std::cos(a) * (radius - 6 - len), cy + std::sin(a) * (radius - 6 - len),
            cx + std::cos(a) * (radius - 6), cy + std::sin(a) * (radius - 6), m % 5 == 0 ? 3.0f : 1.5f, c.r * 0.8f,
            c.g * 0.8f, c.b * 0.8f);
  }
}

// A slide is added over a playing scene, so it can only brighten: its words
// are near white (the brightest an added picture can make them) and large,
// and its rules and dial are drawn at under half the words' brightness, to
// frame them without competing with them. The top 27 rows are under the
// letterbox bar.
Image Slide(TextPainter& text, int which) {
  const int s = 512;
  Image img(s, s);
  TColor4 white{1.0f, 1.0f, 1.0f}, pale{0.9f, 0.95f, 1.0f}, warm{1.0f, 0.94f, 0.82f}, rule{0.3f, 0.38f, 0.5f},
      dial{0.4f, 0.45f, 0.6f};
  // The scenes are brightest in a band across the middle of the screen
  // (the tunnel's and the nest's far end, the warp echo's rays): the
  // words stand above and below it, or to its right.
  switch (which) {
    case 0:  // who presents, on the warp echo's darker right
      AddLine(img, 200, 150, 460, 150, 2, rule.r, rule.g, rule.b);
      text.DrawCentred(img, "A TEAM OF", 36, 330, 200, pale.r, pale.g, pale.b, 5);
      text.DrawCentred(img, "DEMO", 60, 330, 272, white.r, white.g, white.b, 4);
      text.DrawCentred(img, "MAKERS", 60, 330, 340, white.r, white.g, white.b, 4);
      text.DrawCentred(img, "presents", 42, 330, 408, warm.r, warm.g, warm.b, 2);
      AddLine(img, 200, 440, 460, 440, 2, rule.r, rule.g, rule.b);
      break;
    case 1:  // credits
      DialMotif(img, 256, 268, 228, TColor4{0.3f, 0.4f, 0.6f});
      text.DrawCentred(img, "MADE BY", 32, 256, 82, pale.r, pale.g, pale.b, 6);
      text.DrawCentred(img, "THE VEMLA TEAM", 36, 256, 130, white.r, white.g, white.b, 1);
      text.DrawCentred(img, "code  music  models", 30, 256, 180, warm.r, warm.g, warm.b, 1);
      text.DrawCentred(img, "pictures  timing", 30, 256, 218, warm.r, warm.g, warm.b, 1);
      text.DrawCentred(img, "every byte generated", 30, 256, 380, pale.r, pale.g, pale.b, 1);
      text.DrawCentred(img, "by its own tools", 30, 256, 420, pale.r, pale.g, pale.b, 1);
      break;
    case 2:  // the title
      DialMotif(img, 270, 268, 228, dial);
      text.DrawCentred(img, "VEMLA", 78, 296, 214, white.r, white.g, white.b, 8);
      text.DrawCentred(img, "a real-time demo", 32, 270, 366, warm.r, warm.g, warm.b, 2);
      text.DrawCentred(img, "clocks  presses  music", 26, 270, 414, pale.r, pale.g, pale.b, 0);
      break;
    default:  // greetings
      text.DrawCentred(img, "GREETINGS", 56, 256, 86, white.r, white.g, white.b, 4);
      AddLine(img, 126, 108, 386, 108, 2, rule.r, rule.g, rule.b);
      text.DrawCentred(img, "to everyone who", 34, 256, 158, pale.r, pale.g, pale.b, 1);
      text.DrawCentred(img, "makes demos", 46, 256, 212, white.r, white.g, white.b, 2);
      text.DrawCentred(img, "coders  musicians", 32, 256, 372, warm.r, warm.g, warm.b, 1);
      text.DrawCentred(img, "artists  organisers", 32, 256, 414, warm.r, warm.g, warm.b, 1);
      text.DrawCentred(img, "keep the scene ticking", 28, 256, 472, pale.r, pale.g, pale.b, 1);
      break;
  }
  return img;
}

Image Loading(TextPainter& text) {
  const int s = 512;
  Image img = Plasma(s, 0.55f, 3.0f);
  for (float& f : img.Rgb) f *= 0.18f;
  DialMotif(img, 256, 256, 220, TColor4{0.7f, 0.8f, 1.0f});
  text.DrawCentred(img, "VEMLA", 96, 256, 290, 1, 1, 1, 6);
  text.DrawCentred(img, "loading", 28, 256, 350, 0.9f, 0.75f, 0.5f, 4);
  return img;
}

// Six distinct, colourful pictures for the rippling overlay.
Image Overlay(int which) {
  const int s = 256;
  Image img(s, s);
  uint32_t seed = 77 + which;
  auto rnd = [&]() {
    seed = seed * 134775813u + 1;
    return seed / 4294967296.0f;
  };
  std::vector<std::pair<float, float>> cells;
  for (int i = 0; i < 24; ++i) cells.push_back({rnd() * s, rnd() * s});
  for (int y = 0; y < s; ++y)
    for (int x = 0; x < s; ++x) {
      float u = (x + 0.5f) / s, v = (y + 0.5f) / s, dx = u - 0.5f, dy = v - 0.5f;
      float r = std::hypot(dx, dy), a = std::atan2(dy, dx);
      TColor4 c;
      switch (which) {
        case 1:  // plasma
          c = Hue(0.1f * (std::sin(u * 11) + std::sin(v * 9 + 2) + std::sin((u + v) * 7) + std::sin(r * 25)));
          break;
        case 2:  // rings, magenta and gold
          c = Mix(TColor4{1.0f, 0.1f, 0.6f}, TColor4{1.0f, 0.85f, 0.1f}, 0.5f + 0.5f * std::sin(r * 60 - a * 2));
          break;
        case 3: {  // twisted checker
          float tu = u * 8 + std::sin(v * 6) * 0.8f, tv = v * 8 + std::sin(u * 6) * 0.8f;
          bool on = (int(std::floor(tu)) + int(std::floor(tv))) % 2 == 0;
          c = on ? Hue(u * 0.5f + 0.45f) : TColor4{0.05f, 0.05f, 0.2f};
          break;
        }
        case 4: {  // cells
          float best = 1e9f, second = 1e9f;
          int id = 0;
          for (size_t i = 0; i < cells.size(); ++i) {
            float d = std::hypot(x - cells[i].first, y - cells[i].second);
            if (d < best) second = best, best = d, id = int(i);
            else if (d < second) second = d;
          }
          float border = std::clamp((second - best) / 6, 0.0f, 1.0f);
          c = Hue(id * 0.137f + 0.3f) * (0.3f + 0.7f * border) + TColor4{1, 1, 1} * (1 - border) * 0.6f;
          break;
        }
        case 5:  // sunburst
          c = Mix(TColor4{0.05f, 0.2f, 0.8f}, TColor4{1.0f, 0.5f, 0.0f}, std::sin(a * 12) > 0 ? 1.0f : 0.0f) *
                  (1.2f - r) + TColor4{1, 0.9f, 0.5f} * std::exp(-r * r * 60);
          break;
        default: {  // glowing dots
          float gx = u * 10 - std::floor(u * 10) - 0.5f, gy = v * 10 - std::floor(v * 10) - 0.5f;
          float d = std::hypot(gx, gy);
          c = Mix(TColor4{0.0f, 0.15f, 0.1f}, TColor4{0.3f, 1.0f, 0.8f}, std::exp(-d * d * 30)) +
              Hue(u * 0.3f + 0.35f) * 0.25f;
          break;
        }
      }
      Set(img, x, y, c);
    }
  return img;
}

}  // namespace

std::vector<Picture> MakePictures(const std::string& fontFile) {
  TextPainter text(fontFile);
  std::vector<Picture> out;
  out.push_back({"6.jpg", SphereMap(256, ChromeWorld)});
  out.push_back({"stempelmetall.jpg", Brushed(SphereMap(256, MetalWorld))});
  out.push_back({"4.jpg", Plasma(256, 0.0f, 6.0f)});
  out.push_back({"sparks.jpg", Sparks(256)});
  out.push_back({"7.jpg", WarpPicture(512)});
  out.push_back({"walls.jpg", WallPanel(256)});
  out.push_back({"particle.jpg", Particle(256)});
  out.push_back({"vemla/load.jpg", Loading(text)});
  const char* slides[4] = {"vemla/groups.jpg", "vemla/credits.jpg", "vemla/demo.jpg", "vemla/greetings.jpg"};
  for (int i = 0; i < 4; ++i) out.push_back({slides[i], Slide(text, i)});
  for (int i = 1; i <= 6; ++i) out.push_back({"vemla/" + std::to_string(i) + ".jpg", Overlay(i)});
  return out;
}
