// Reading little-endian fields out of a file's bytes (a WAV header, say). No Windows
// header: the native tests and the Windows tests share it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

inline std::uint16_t U16(const std::vector<unsigned char>& b, std::size_t at) {
  return static_cast<std::uint16_t>(b.at(at) | b.at(at + 1) << 8);
}

inline std::uint32_t U32(const std::vector<unsigned char>& b, std::size_t at) {
  return U16(b, at) | static_cast<std::uint32_t>(U16(b, at + 2)) << 16;
}
