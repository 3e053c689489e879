// Shared by the document's tests: the repository's timelines and short
// descriptions of keys to compare.
#pragma once
#include <string>
#include <vector>

#include "Timeline.h"

// A file of the source tree by its path from the root.
std::string ReadSource(const std::string& path);
// The paths of every timeline in the repository: the demo's and the fuzz
// seeds (whose timeline ends at a NUL byte, edits to make following it).
std::vector<std::string> RepositoryTimelines();
// The timeline of one of those files.
std::string ReadTimeline(const std::string& path);

std::vector<int> Rows(const std::vector<Key>& keys);
// The values as the timeline writes them, with spaces between.
std::string Values(const std::vector<Key>& keys);
// Row, value and shape of every key.
std::string Described(const std::vector<Key>& keys);
