#include "Models.h"

#include <cmath>
#include <numbers>
#include <utility>

#include "platform/Types.h"
#include "scene3d/MeshLevels.h"

namespace {

constexpr float Pi = std::numbers::pi_v<float>;
// Flat caps this wide and wider are cut as discs (see Builder::Disc); the
// small caps keep their fans and the shading their shared rims give them.
constexpr float DiscRadius = 20;
constexpr size_t CentreFan = 12;
// The clock's coarser levels, by the width in model units of the widest part
// each leaves out: the first the bezel's knurled rings (about 1.1 units
// across, seen face on), the chapter ring and the minute ticks; the second
// also the minute track's top (3.5), the hour marks, gears and small dials.
constexpr float ClockFineDetail = 1.2f;
constexpr float ClockCoarseDetail = 3.5f;

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator*(Vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

// Collects vertices and counter-clockwise triangles.
struct Builder {
  Mesh M;
  // Texture coordinates come from x and y over this extent unless given.
  float UvScale = 1.0f;

  uint16_t Vertex(Vec3 p, float u, float v) {
    M.Vertices.push_back({p.x, p.y, p.z, u, v});
    return uint16_t(M.Vertices.size() - 1);
  }
  uint16_t Vertex(Vec3 p) { return Vertex(p, p.x * UvScale + 0.5f, p.y * UvScale + 0.5f); }
  void Tri(uint16_t a, uint16_t b, uint16_t c) { M.Faces.push_back({a, b, c}); }
  // A triangle counter-clockwise seen from +Z when `up`, from -Z otherwise.
  void Face(uint16_t a, uint16_t b, uint16_t c, bool up) {
    if (up)
      Tri(a, b, c);
    else
      Tri(a, c, b);
  }
  void Quad(uint16_t a, uint16_t b, uint16_t c, uint16_t d) {
    Tri(a, b, c);
    Tri(a, c, d);
  }
  // A flat quad with its own four vertices, corners counter-clockwise.
  void FlatQuad(Vec3 a, Vec3 b, Vec3 c, Vec3 d) { Quad(Vertex(a), Vertex(b), Vertex(c), Vertex(d)); }

  // Surface of revolution about Z through the profile points (r, z), swept
  // counter-clockwise in `segments` steps. A profile running outwards along
  // the bottom, up the side and inwards along the top faces outwards. Points
  // on the axis (r = 0) close the surface without degenerate triangles.
  void Lathe(const std::vector<std::pair<float, float>>& profile, int segments, Vec3 at = {0, 0, 0}) {
    size_t rings = profile.size();
    uint16_t base = uint16_t(M.Vertices.size());
    for (size_t i = 0; i < rings; ++i)
      for (int j = 0; j <= segments; ++j) {
        float a = 2 * Pi * j / segments;
        auto [r, z] = profile[i];
        Vec3 p{at.x + r * std::cos(a), at.y + r * std::sin(a), at.z + z};
        Vertex(p, float(j) / segments, float(i) / (rings - 1));
      }
    auto idx = [&](size_t i, int j) { return uint16_t(base + i * (segments + 1) + j); };
    for (size_t i = 0; i + 1 < rings; ++i) {
      auto [r0, z0] = profile[i];
      auto [r1, z1] = profile[i + 1];
      if (z0 == z1 && (r0 == 0) != (r1 == 0) && r0 + r1 >= DiscRadius) {
        // A flat cap on the axis: a disc of its own, facing up when the
        // profile runs inwards and down when it runs outwards.
        const float rimV = float(r0 == 0 ? i + 1 : i) / (rings - 1), centreV = float(r0 == 0 ? i : i + 1) / (rings - 1);
        Disc(r0 + r1, z0, segments, at, rimV, centreV, r0 > 0);
        continue;
      }
      for (int j = 0; j < segments; ++j) {
        if (r0 > 0) Tri(idx(i, j), idx(i, j + 1), idx(i + 1, j + 1));
        if (r1 > 0) Tri(idx(i, j), idx(i + 1, j + 1), idx(i + 1, j));
      }
    }
  }

  // A flat disc of radius r at height z about the Z axis through `at`, with
  // `segments` corners. A fan from the centre would lay `segments` long
  // slivers side by side, which a tile rasteriser shades again and again
  // along their shared edges. Instead every other corner is cut off as a
  // triangle, and the polygon of the corners left is cut again, until a
  // fan of at most CentreFan triangles from the centre closes it: the
  // triangles grow towards the middle, their shared edges are few, and the
  // centre still gets a vertex of its own for the sphere map to be looked
  // up at. The disc has vertices of its own, so it shades flat.
  void Disc(float r, float z, int segments, Vec3 at, float rimV, float centreV, bool up) {
    std::vector<uint16_t> corners;
    for (int j = 0; j < segments; ++j) {
      float a = 2 * Pi * j / segments;
      corners.push_back(Vertex({at.x + r * std::cos(a), at.y + r * std::sin(a), at.z + z}, float(j) / segments, rimV));
    }
    while (corners.size() > CentreFan) {
      std::vector<uint16_t> left;
      size_t n = corners.size();
      for (size_t k = 0; k + 1 < n; k += 2) {
        Face(corners[k], corners[k + 1], corners[(k + 2) % n], up);
        left.push_back(corners[k]);
      }
      if (n % 2 == 1) left.push_back(corners[n - 1]);
      corners = std::move(left);
    }
    uint16_t centre = Vertex({at.x, at.y, at.z + z}, 0.5f, centreV);
    for (size_t k = 0; k < corners.size(); ++k) Face(corners[k], corners[(k + 1) % corners.size()], centre, up);
  }

  // A prism over a polygon: the outline (counter-clockwise seen from +Z, in
  // local x, y) is turned by `angle` about Z, placed at `at`, and spans z0
  // to z1. Every face gets its own vertices, so the prism shades flat.
  void Prism(const std::vector<std::pair<float, float>>& outline, float z0, float z1, float angle, Vec3 at,
             bool bottom = true) {
    float ca = std::cos(angle), sa = std::sin(angle);
    auto place = [&](std::pair<float, float> q, float z) {
      return Vec3{at.x + q.first * ca - q.second * sa, at.y + q.first * sa + q.second * ca, at.z + z};
    };
    size_t n = outline.size();
    // The caps are fans from the local origin. For an outline away from
    // the origin (the dial's marks and ticks, placed from the clock's
    // centre) the fan's triangles reach back over the dial to the centre,
    // once each way round: on the chrome they draw the dial's sunburst of
    // rays, one along every mark and tick.
    auto cap = [&](float z, bool up) {
      uint16_t centre = Vertex(place({0, 0}, z));
      std::vector<uint16_t> ring;
      for (size_t i = 0; i < n; ++i) ring.push_back(Vertex(place(outline[i], z)));
      for (size_t i = 0; i < n; ++i) Face(centre, ring[i], ring[(i + 1) % n], up);
    };
    cap(z1, true);
    if (bottom) cap(z0, false);
    for (size_t i = 0; i < n; ++i) {
      auto a = outline[i], b = outline[(i + 1) % n];
      FlatQuad(place(a, z0), place(b, z0), place(b, z1), place(a, z1));
    }
  }
};

// Drops vertices no face uses (the lathe's spare seam points on the axis),
// so that every vertex gets a normal from its faces.
Mesh Compact(Mesh m) {
  std::vector<int> remap(m.Vertices.size(), -1);
  std::vector<MeshVertex> kept;
  for (MeshFace& f : m.Faces)
    for (uint16_t* i : {&f.A, &f.B, &f.C}) {
      if (remap[*i] < 0) {
        remap[*i] = int(kept.size());
        kept.push_back(m.Vertices[*i]);
      }
      *i = uint16_t(remap[*i]);
    }
  m.Vertices = std::move(kept);
  return m;
}

std::vector<std::pair<float, float>> Rect(float x0, float y0, float x1, float y1) {
  return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

// A clock hand pointing along +x from the centre: a tapered blade with a tail.
std::vector<std::pair<float, float>> Hand(float length, float width, float tail) {
  return {{-tail, -width * 0.5f}, {length * 0.8f, -width * 0.4f}, {length, 0.0f}, {length * 0.8f, width * 0.4f},
          {-tail, width * 0.5f}};
}

std::vector<std::pair<float, float>> Gear(int teeth, float inner, float outer) {
  std::vector<std::pair<float, float>> pts;
  for (int t = 0; t < teeth; ++t) {
    float a = 2 * Pi * t / teeth, step = 2 * Pi / teeth;
    const float fr[4] = {0.0f, 0.15f, 0.5f, 0.65f};
    const float rr[4] = {inner, outer, outer, inner};
    for (int k = 0; k < 4; ++k) {
      float b = a + fr[k] * step;
      pts.push_back({rr[k] * std::cos(b), rr[k] * std::sin(b)});
    }
  }
  return pts;
}

}  // namespace

namespace {

// What a level of the clock keeps. The full clock keeps everything; coarser
// levels leave out the thin parts, which only shade 4 x 4 blocks where the
// clock is small on the screen or blurred.
struct ClockParts {
  bool MinuteTicks = true;  // the 48 ticks, 0.7 units wide
  bool ThinRings = true;    // the bezel's knurled rings and the chapter ring, 0.5 to 1 unit
  bool Marks = true;        // the hour marks, the gears and the small dials, up to 3 units
  int Segments = 72;        // around the case and the rings
};

Mesh MakeClockLevel(const ClockParts& parts) {
  Builder b;
  b.M.Name = "Clock";
  b.UvScale = 1.0f / 120.0f;
  const int segments = parts.Segments;
  // Case: flat back, rounded rim with a knurled-looking bezel of rings, and a
  // dial sunk 4 units below the bezel's top. Without the thin rings the
  // bezel is one band.
  if (parts.ThinRings)
    b.Lathe({{0, -5}, {50, -5}, {56, -4.5f}, {59, -3}, {60, -1}, {60, 1}, {59, 2}, {59.5f, 3}, {59, 4}, {59.5f, 5},
             {58, 6.5f}, {55, 7}, {53, 6}, {52, 3}, {51, 2}, {0, 2}},
            segments);
  else
    b.Lathe({{0, -5}, {50, -5}, {56, -4.5f}, {59, -3}, {60, -1}, {60, 1}, {59.5f, 5}, {58, 6.5f}, {55, 7}, {53, 6},
             {52, 3}, {51, 2}, {0, 2}},
            segments);
  // A thin raised chapter ring on the dial, and the minute track.
  if (parts.ThinRings) b.Lathe({{40, 2}, {40.5f, 2.6f}, {41.5f, 2.6f}, {42, 2}}, segments);
  if (parts.Marks) b.Lathe({{45.5f, 2}, {46, 2.4f}, {49.5f, 2.4f}, {50, 2}}, segments);
  // Hour marks; the quarters are doubled.
  for (int h = 0; h < 12 && parts.Marks; ++h) {
    float a = Pi / 2 - 2 * Pi * h / 12;
    bool quarter = h % 3 == 0;
    float w = quarter ? 2.6f : 1.8f;
    if (quarter) {
      b.Prism(Rect(34, -w - 1.4f, 44, -1.0f), 2, 4.2f, a, {0, 0, 0}, false);
      b.Prism(Rect(34, 1.0f, 44, w + 1.4f), 2, 4.2f, a, {0, 0, 0}, false);
    } else {
      b.Prism(Rect(36, -w * 0.5f, 44, w * 0.5f), 2, 3.6f, a, {0, 0, 0}, false);
    }
  }
  // Minute ticks between the marks.
  for (int m = 0; m < 60 && parts.MinuteTicks; ++m) {
    if (m % 5 == 0) continue;
    float a = Pi / 2 - 2 * Pi * m / 60;
    b.Prism(Rect(46.2f, -0.35f, 49.2f, 0.35f), 2, 2.9f, a, {0, 0, 0}, false);
  }
  if (parts.Marks) {
    // Small seconds dial with a gear at six o'clock.
    b.Prism(Gear(14, 9, 11), 2, 3.2f, 0.1f, {0, -22, 0}, false);
    b.Lathe({{0, 3.2f}, {5, 3.2f}, {6, 3.8f}, {0, 3.8f}}, 24, {0, -22, 0});
    b.Prism(Hand(9, 1.2f, 1.5f), 3.8f, 4.4f, 1.2f, {0, -22, 0}, false);
    // A second gear peeking out at twelve o'clock.
    b.Prism(Gear(10, 6, 8), 2, 3.0f, 0.3f, {0, 22, 0}, false);
    b.Lathe({{0, 3.0f}, {3, 3.0f}, {3, 3.6f}, {0, 3.6f}}, 16, {0, 22, 0});
  }
  // Hands at ten past ten, stacked above the dial, and the centre cap.
  b.Prism(Hand(27, 4.5f, 5), 4.5f, 5.5f, Pi / 2 - 2 * Pi * (10.17f / 12), {0, 0, 0});
  b.Prism(Hand(42, 3.2f, 6), 5.8f, 6.8f, Pi / 2 - 2 * Pi * (10.0f / 60), {0, 0, 0});
  b.Prism(Hand(46, 0.9f, 10), 7.0f, 7.5f, Pi / 2 - 2 * Pi * (38.0f / 60), {0, 0, 0});
  b.Lathe({{0, 2}, {4, 2}, {4, 7.8f}, {2.5f, 8.6f}, {0, 8.6f}}, 24);
  // The crown at twelve o'clock, on the rim.
  if (parts.Marks) {
    // The crown is built upright at the centre, then turned out onto the
    // rim, pointing along +y.
    size_t first = b.M.Vertices.size();
    b.Prism(Gear(12, 3.2f, 4.0f), 0, 9, 0, {0, 0, 0}, true);
    for (size_t i = first; i < b.M.Vertices.size(); ++i) {
      MeshVertex& v = b.M.Vertices[i];
      float x = v.X, y = v.Y, z = v.Z;
      v.X = x;
      v.Y = 59 + z;
      v.Z = -y;
    }
  }
  return Compact(std::move(b.M));
}

}  // namespace

Mesh MakeClock() { return MakeClockLevel({}); }

std::vector<Mesh> MakeClockLevels() {
  std::vector<Mesh> levels = {MakeClock()};
  const std::pair<float, ClockParts> coarser[] = {
      {ClockFineDetail, {.MinuteTicks = false, .ThinRings = false}},
      {ClockCoarseDetail, {.MinuteTicks = false, .ThinRings = false, .Marks = false, .Segments = 48}},
  };
  for (const auto& [detail, parts] : coarser) {
    levels.push_back(MakeClockLevel(parts));
    levels.back().Name = LevelObjectName(levels.front().Name, detail);
  }
  return levels;
}

Mesh MakePea() {
  Builder b;
  b.M.Name = "Pea";
  std::vector<std::pair<float, float>> profile;
  const int rings = 12;
  for (int i = 0; i <= rings; ++i) {
    float a = -Pi / 2 + Pi * i / rings;
    float r = 6 * std::cos(a);
    profile.push_back({i == 0 || i == rings ? 0.0f : r, 6 * std::sin(a)});
  }
  b.Lathe(profile, 16);
  return Compact(std::move(b.M));
}

Mesh MakeCubeRoom() {
  Builder b;
  b.M.Name = "CubeRoom";
  const float half = 100, depth = 8, frame = 2.5f, bevel = 6;
  const int panels = 4;
  const float size = 2 * half / panels;
  struct Wall {
    Vec3 N, V;
  };
  const Wall walls[6] = {{{-1, 0, 0}, {0, 0, 1}}, {{1, 0, 0}, {0, 0, 1}}, {{0, -1, 0}, {0, 0, 1}},
                         {{0, 1, 0}, {0, 0, 1}},  {{0, 0, -1}, {0, 1, 0}}, {{0, 0, 1}, {0, 1, 0}}};
  for (const Wall& w : walls) {
    Vec3 u = Cross(w.V, w.N);
    Vec3 centre = w.N * -half;
    // Point on this wall at (a, b) in wall units, d units behind its plane.
    auto at = [&](float a, float bb, float d) { return centre + u * a + w.V * bb + w.N * -d; };
    for (int pi = 0; pi < panels; ++pi)
      for (int pj = 0; pj < panels; ++pj) {
        float a0 = -half + pi * size, b0 = -half + pj * size;
        // Four rings of corners: panel edge, inside the frame, bottom of the
        // bevel; the recess floor is the innermost.
        const float insets[3] = {0, frame, frame + bevel};
        const float depths[3] = {0, 0, depth};
        auto corner = [&](int ring, int k) {
          float in = insets[ring];
          float ca = (k == 0 || k == 3) ? a0 + in : a0 + size - in;
          float cb = (k < 2) ? b0 + in : b0 + size - in;
          Vec3 p = at(ca, cb, depths[ring]);
          return std::pair<Vec3, std::pair<float, float>>{p, {(ca - a0) / size, (cb - b0) / size}};
        };
        for (int ring = 0; ring < 2; ++ring)
          for (int k = 0; k < 4; ++k) {
            auto o0 = corner(ring, k), o1 = corner(ring, (k + 1) % 4);
            auto i1 = corner(ring + 1, (k + 1) % 4), i0 = corner(ring + 1, k);
            b.Quad(b.Vertex(o0.first, o0.second.first, o0.second.second),
                   b.Vertex(o1.first, o1.second.first, o1.second.second),
                   b.Vertex(i1.first, i1.second.first, i1.second.second),
                   b.Vertex(i0.first, i0.second.first, i0.second.second));
          }
        auto f0 = corner(2, 0), f1 = corner(2, 1), f2 = corner(2, 2), f3 = corner(2, 3);
        b.Quad(b.Vertex(f0.first, f0.second.first, f0.second.second),
               b.Vertex(f1.first, f1.second.first, f1.second.second),
               b.Vertex(f2.first, f2.second.first, f2.second.second),
               b.Vertex(f3.first, f3.second.first, f3.second.second));
      }
  }
  return Compact(std::move(b.M));
}

Mesh MakeStamp() {
  Builder b;
  b.M.Name = "Stempel";
  b.UvScale = 1.0f / 100.0f;
  // Striking face at z = 0, chamfered head with two grooves, collar, rod and
  // a capped top.
  b.Lathe({{0, 0}, {42, 0}, {45, 3}, {45, 12}, {43, 13}, {43, 15}, {45, 16}, {45, 26}, {43, 27}, {43, 29},
           {45, 30}, {45, 36}, {40, 42}, {24, 45}, {20, 50}, {13, 54}, {13, 318}, {18, 322}, {18, 336}, {14, 340},
           {0, 340}},
          40);
  // Bolts around the head's upper rim.
  for (int k = 0; k < 8; ++k) {
    float a = 2 * Pi * k / 8;
    Vec3 at{32 * std::cos(a), 32 * std::sin(a), 0};
    b.Lathe({{0, 42}, {3.5f, 42}, {3.5f, 46}, {0, 46}}, 6, at);
  }
  return Compact(std::move(b.M));
}
