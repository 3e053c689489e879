#include "DocumentFixture.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

#include "platform/WholeFile.h"

std::string ReadSource(const std::string& path) {
  std::string text, reason;
  if (!ReadWholeFile(std::string(VEMLA_SOURCE_DIR) + "/" + path, text, reason)) throw std::runtime_error(reason);
  return text;
}

std::string ReadTimeline(const std::string& path) {
  const std::string bytes = ReadSource(path);
  return bytes.substr(0, bytes.find('\0'));
}

std::vector<std::string> RepositoryTimelines() {
  std::vector<std::string> paths = {"tools/content/demo.timeline"};
  for (const char* folder : {"fuzz/corpus/timeline", "fuzz/corpus/document"})
    for (const auto& entry : std::filesystem::directory_iterator(std::string(VEMLA_SOURCE_DIR) + "/" + folder))
      paths.push_back(std::string(folder) + "/" + entry.path().filename().string());
  std::sort(paths.begin(), paths.end());
  return paths;
}

std::vector<int> Rows(const std::vector<Key>& keys) {
  std::vector<int> rows;
  for (const Key& key : keys) rows.push_back(key.Row);
  return rows;
}

std::string Values(const std::vector<Key>& keys) {
  std::string text;
  for (const Key& key : keys) text += (text.empty() ? "" : " ") + FormatValue(key.Value);
  return text;
}

std::string Described(const std::vector<Key>& keys) {
  std::string text;
  for (const Key& key : keys)
    text += std::to_string(key.Row) + " " + FormatValue(key.Value) + " " + ShapeNames[int(key.Curve)] + "\n";
  return text;
}
