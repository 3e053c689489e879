#include "platform/GLLibraries.h"

#include <GL/gl.h>

#include <string_view>

bool GLExtensionOffered(const char* name) {
  const char* all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  const std::string_view wanted(name);
  if (all == nullptr || wanted.empty()) return false;
  const std::string_view list(all);
  for (size_t at = list.find(wanted); at != std::string_view::npos; at = list.find(wanted, at + 1)) {
    const size_t end = at + wanted.size();
    if ((at == 0 || list[at - 1] == ' ') && (end == list.size() || list[end] == ' ')) return true;
  }
  return false;
}
