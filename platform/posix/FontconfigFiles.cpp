// Font files through fontconfig.
#include <fontconfig/fontconfig.h>

#include "platform/FontFiles.h"

namespace {
// The best match for family and weight, and whether it is of that family.
std::string Match(const std::string& family, bool bold, bool& sameFamily) {
  sameFamily = false;
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  std::string path;
  if (match != nullptr) {
    FcChar8* file = nullptr;
    FcChar8* matched = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) path = reinterpret_cast<const char*>(file);
    if (FcPatternGetString(match, FC_FAMILY, 0, &matched) == FcResultMatch)
      sameFamily = SameNameIgnoringCase(reinterpret_cast<const char*>(matched), family);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return path;
}
}  // namespace

std::string FindFontFile(const std::string& faceName, bool bold) {
  if (!FcInit()) return {};
  bool sameFamily = false;
  const std::string path = Match(faceName, bold, sameFamily);
  if (sameFamily) return path;
  bool dejaVu = false;
  const std::string fallback = Match("DejaVu Sans", bold, dejaVu);
  return fallback.empty() ? path : fallback;
}
