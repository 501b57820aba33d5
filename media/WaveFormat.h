// Audio format records as decoders report them: the plain record (WAVEFORMATEX, 18 bytes
// with its extra-size field) and the extensible one (40 bytes), read as little-endian
// bytes. No Windows header.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::size_t kPlainFormatSize = 18;
// The format as an audio stream reports it: the plain record and, when its tag is the
// extensible one, the extension after it (valid bits, channel mask, sub-format).
constexpr std::size_t kReportedFormatRoom = 40;
constexpr std::uint16_t kFormatTagPcm = 1;
constexpr std::uint16_t kFormatTagIeeeFloat = 3;
constexpr std::uint16_t kFormatTagExtensible = 0xFFFE;

// The format tag at the record's start.
inline std::uint16_t FormatTag(const unsigned char* record) {
  return static_cast<std::uint16_t>(record[0] | record[1] << 8);
}

// The plain tag that an extensible record's sub-format stands for; 0 when it has none.
std::uint16_t ExtensibleSubFormatTag(const unsigned char* record, std::size_t size);

// The plain PCM record for integer PCM of more than two channels that a decoder
// describes with the extensible record, as the conversion's stream takes it: the same
// channels, rate and sample size, whose bytes therefore mean the same. False for any
// other format, and for a record whose block and byte rate do not follow from its
// channels, rate and sample size.
bool PlainPcmForManyChannels(const unsigned char* reported, std::size_t size,
                             unsigned char plain[kPlainFormatSize]);
