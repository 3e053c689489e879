// In the browser the page's package carries DejaVu Sans in both weights under
// /fonts, and every face is drawn with it.
#include "platform/FontFiles.h"

std::string FindFontFile(const std::string&, bool bold) {
  return bold ? "/fonts/DejaVuSans-Bold.ttf" : "/fonts/DejaVuSans.ttf";
}
