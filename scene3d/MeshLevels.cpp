#include "scene3d/MeshLevels.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {
constexpr char LevelMark = '~';
}  // namespace

// The detail is written with up to two decimals, and read back the same way,
// without the locale's say.
std::string LevelObjectName(const std::string& base, float detail) {
  const long hundredths = std::lround(static_cast<double>(detail) * 100);
  std::string text = std::to_string(hundredths / 100);
  const long rest = hundredths % 100;
  if (rest != 0) text += '.' + std::to_string(rest / 10) + (rest % 10 != 0 ? std::to_string(rest % 10) : "");
  return base + LevelMark + text;
}

float LevelDetail(const std::string& name, const std::string& base) {
  if (name.size() <= base.size() + 1 || name.compare(0, base.size(), base) != 0 || name[base.size()] != LevelMark)
    return 0;
  const std::string text = name.substr(base.size() + 1);
  const size_t point = text.find('.');
  const std::string whole = text.substr(0, point);
  const std::string part = point == std::string::npos ? "" : text.substr(point + 1);
  auto digits = [](const std::string& s) { return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }); };
  if (whole.empty() || whole.size() > 4 || part.size() > 2 || (point != std::string::npos && part.empty()) ||
      !digits(whole) || !digits(part))
    return 0;
  const float detail = static_cast<float>(std::stoi(whole)) +
                       (part.empty() ? 0.0f : static_cast<float>(std::stoi(part)) / (part.size() == 1 ? 10.0f : 100.0f));
  return detail > 0 ? detail : 0;
}

bool LevelHidesNothing(float detail, TDrawScale scale) {
  const float hidden = scale.Blurred ? BlurredPixels : SharpPixels;
  return detail * scale.PixelsPerUnit <= hidden;
}

size_t ChooseLevel(const TLUMBrush& brush, TDrawScale scale) {
  for (size_t k = brush.Levels.size(); k > 0; --k)
    if (LevelHidesNothing(brush.Levels[k - 1].Detail, scale)) return k;
  return 0;
}

float LevelLight(const TMeshData& full, const TMeshData& level) {
  const double coarse = SummedArea(level);
  if (!(coarse > 0)) return 1;
  return static_cast<float>(std::max(1.0, SummedArea(full) / coarse));
}
