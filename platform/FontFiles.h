// Where the system keeps a font face: the file of a family in the regular or
// the bold weight, for the glyph rasteriser.
#pragma once
#include <string>

// The font file the system offers for the face; when it has no face of that
// family, DejaVu Sans (on Windows the copy shipped beside the program).
// Empty when there is no font at all.
std::string FindFontFile(const std::string& faceName, bool bold);

// Whether two family names are the same, letter case aside.
bool SameNameIgnoringCase(const std::string& a, const std::string& b);
