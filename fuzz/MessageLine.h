// For the fuzz targets of the readers whose errors start with the line at
// fault ("line 12: ..."): the number after "line " at the start of the
// message, or -1 where it does not start so.
#pragma once
#include <string>

inline long LineOfMessage(const std::string& message) {
  if (message.rfind("line ", 0) != 0) return -1;
  const size_t end = message.find(": ", 5);
  if (end == std::string::npos || end == 5 || end > 16) return -1;
  for (size_t k = 5; k < end; ++k)
    if (message[k] < '0' || message[k] > '9') return -1;
  return std::stol(message.substr(5, end - 5));
}
