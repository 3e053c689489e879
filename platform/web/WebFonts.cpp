// In the browser the page's package carries DejaVu Sans in both weights under
// /fonts, and every face is drawn with it; a fixed-width face ("... Mono")
// with DejaVu Sans Mono where the page's packages carry it (the editor's).
#include "platform/FontFiles.h"
#include "platform/Stream.h"

std::string FindFontFile(const std::string& faceName, bool bold) {
  const std::string mono = "/fonts/DejaVuSansMono.ttf";
  if (!bold && faceName.size() >= 4 && faceName.compare(faceName.size() - 4, 4, "Mono") == 0 && FileExists(mono))
    return mono;
  return bold ? "/fonts/DejaVuSans-Bold.ttf" : "/fonts/DejaVuSans.ttf";
}
