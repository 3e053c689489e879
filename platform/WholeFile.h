// Whole files: read into memory, and replaced all at once. A replacement
// is written to a temporary file in the file's own folder, flushed to the
// disk and renamed over the file, so that a reader finds either the old
// file or the new one, whole, and a failed write leaves the old one as it
// was. Reasons are the system's ("No space left on device").
#pragma once
#include <string>

// The file's bytes; false with the reason ("Cannot open file <path>").
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& reason);

// Makes bytes the file's contents. A link is followed: the file it names
// is replaced, in its own folder. With keepPrevious, the file as it was
// stays beside it, its name followed by "~". A device or pipe is written
// straight through. On failure: false with the reason, the old file whole
// and no temporary file left.
bool ReplaceFile(const std::string& path, const std::string& bytes, bool keepPrevious, std::string& reason);

// The temporary file a replacement of path is written to first:
// ".<name>.saving" in its folder.
std::string ReplacementPathOf(const std::string& path);
