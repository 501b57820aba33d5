#include "app/PathText.h"

#include <cstring>

std::size_t FindLastOf(const std::string& path, const char* chars, LeadByteTest isLeadByte) {
  std::size_t found = std::string::npos;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (isLeadByte(c) && i + 1 < path.size()) {
      ++i;  // skip the trail byte
      continue;
    }
    if (c != 0 && std::strchr(chars, c)) found = i;
  }
  return found;
}
