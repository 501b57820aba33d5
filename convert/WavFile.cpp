#include "convert/WavFile.h"

#include <cstring>

const unsigned char g_wavHeader[kWavHeaderSize] = {
    0x52, 0x49, 0x46, 0x46, 0x00, 0x00, 0x00, 0x00,  // "RIFF", RIFF length
    0x57, 0x41, 0x56, 0x45, 0x66, 0x6D, 0x74, 0x20,  // "WAVE", "fmt "
    0x10, 0x00, 0x00, 0x00, 0x01, 0x00, 0x02, 0x00,  // format length 16, PCM, 2 channels
    0x44, 0xAC, 0x00, 0x00, 0x10, 0xB1, 0x02, 0x00,  // 44100 Hz, 176400 bytes/s
    0x04, 0x00, 0x10, 0x00, 0x64, 0x61, 0x74, 0x61,  // block 4, 16 bits, "data"
    0x00, 0x00, 0x00, 0x00,                          // data length
};

namespace {
// One little-endian 32-bit item, whatever the host's byte order.
bool WriteUint32At(std::FILE* file, long offset, std::uint32_t value) {
  const unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                  static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
  // A failed seek (its flush of buffered data included) counts as an incomplete write.
  return std::fseek(file, offset, SEEK_SET) == 0 && std::fwrite(bytes, sizeof(bytes), 1, file) == 1;
}
}  // namespace

bool HeaderFormatRecord(const unsigned char* reported, std::size_t size, unsigned char record[kPcmFormatRecordSize]) {
  if (size < kPcmFormatRecordSize) return false;
  std::uint16_t tag = FormatTag(reported);
  if (tag == kFormatTagExtensible) tag = ExtensibleSubFormatTag(reported, size);
  if (tag != kFormatTagPcm && tag != kFormatTagIeeeFloat) return false;
  std::memcpy(record, reported, kPcmFormatRecordSize);
  record[0] = static_cast<unsigned char>(tag);
  record[1] = static_cast<unsigned char>(tag >> 8);
  return true;
}

bool WriteWavHeaderTemplate(std::FILE* file) { return std::fwrite(g_wavHeader, kWavHeaderSize, 1, file) == 1; }

bool AppendAudio(std::FILE* file, const void* data, std::size_t size) {
  return size == 0 || std::fwrite(data, 1, size, file) == size;
}

PatchResult PatchWavHeader(std::FILE* file, std::int32_t dataLength, const unsigned char* formatRecord16) {
  const std::uint32_t length = static_cast<std::uint32_t>(dataLength);
  if (!WriteUint32At(file, kDataLengthOffset, length)) return PatchResult::FailedAtDataLength;
  if (!WriteUint32At(file, kRiffLengthOffset, length + 36u)) return PatchResult::FailedAtRiffLength;
  if (std::fseek(file, kFormatOffset, SEEK_SET) != 0 ||
      std::fwrite(formatRecord16, 1, kPcmFormatRecordSize, file) != kPcmFormatRecordSize)
    return PatchResult::FailedAtFormat;
  return PatchResult::Complete;
}
