#include "media/WaveFormat.h"

#include <cstring>

namespace {
// The sub-format GUIDs of the extensible record share these last 14 bytes; their first
// two bytes are the plain format tag.
constexpr unsigned char kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                              0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
constexpr std::size_t kChannelsOffset = 2;
constexpr std::size_t kRateOffset = 4;
constexpr std::size_t kBytesPerSecOffset = 8;
constexpr std::size_t kBlockAlignOffset = 12;
constexpr std::size_t kBitsOffset = 14;
constexpr std::size_t kExtraSizeOffset = 16;
constexpr std::size_t kExtensionSize = 22;
constexpr std::size_t kSubFormatOffset = 24;

std::uint16_t Uint16At(const unsigned char* bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

std::uint32_t Uint32At(const unsigned char* bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(Uint16At(bytes, offset)) | static_cast<std::uint32_t>(Uint16At(bytes, offset + 2)) << 16;
}

void PutUint16At(unsigned char* bytes, std::size_t offset, std::uint16_t value) {
  bytes[offset] = static_cast<unsigned char>(value);
  bytes[offset + 1] = static_cast<unsigned char>(value >> 8);
}
}  // namespace

std::uint16_t ExtensibleSubFormatTag(const unsigned char* record, std::size_t size) {
  if (size < kReportedFormatRoom || Uint16At(record, kExtraSizeOffset) < kExtensionSize) return 0;
  const unsigned char* subFormat = record + kSubFormatOffset;
  if (std::memcmp(subFormat + 2, kSubFormatTail, sizeof(kSubFormatTail)) != 0) return 0;
  return Uint16At(subFormat, 0);
}

bool PlainPcmForManyChannels(const unsigned char* reported, std::size_t size, unsigned char plain[kPlainFormatSize]) {
  if (size < kReportedFormatRoom || FormatTag(reported) != kFormatTagExtensible ||
      ExtensibleSubFormatTag(reported, size) != kFormatTagPcm)
    return false;
  const std::uint32_t channels = Uint16At(reported, kChannelsOffset);
  const std::uint32_t rate = Uint32At(reported, kRateOffset);
  const std::uint32_t bits = Uint16At(reported, kBitsOffset);
  const std::uint32_t block = Uint16At(reported, kBlockAlignOffset);
  if (channels <= 2 || rate == 0 || bits == 0 || bits % 8 != 0 || block != channels * bits / 8 ||
      Uint32At(reported, kBytesPerSecOffset) != static_cast<std::uint64_t>(rate) * block)
    return false;
  std::memcpy(plain, reported, kPlainFormatSize);
  PutUint16At(plain, 0, kFormatTagPcm);
  PutUint16At(plain, kExtraSizeOffset, 0);
  return true;
}
