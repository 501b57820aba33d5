// The RIFF/WAVE file the conversion writes: a fixed 44-byte header template, the
// audio bytes as delivered, then three patches with the real sizes and format.
// Works on a C stdio stream opened in binary mode. No Windows header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "media/WaveFormat.h"

constexpr std::size_t kWavHeaderSize = 44;
constexpr std::size_t kPcmFormatRecordSize = 16;

// 44100 Hz, 2 channels, 16 bits, both lengths 0. Never modified.
extern const unsigned char g_wavHeader[kWavHeaderSize];

// Header field offsets, in the order the patch writes them.
constexpr long kDataLengthOffset = 40;
constexpr long kRiffLengthOffset = 4;
constexpr long kFormatOffset = 20;

// The header's 16-byte format record for a reported format (size bytes at reported):
// PCM and IEEE float as they are; the extensible tag becomes its sub-format's tag, PCM
// or IEEE float, with the other five values as reported. False for any other format,
// which the 16-byte record cannot describe.
bool HeaderFormatRecord(const unsigned char* reported, std::size_t size, unsigned char record[kPcmFormatRecordSize]);

// Begin: the template as one 44-byte item at the current (start) position.
bool WriteWavHeaderTemplate(std::FILE* file);
// Append: true when all size bytes were written.
bool AppendAudio(std::FILE* file, const void* data, std::size_t size);

// How far a patch got. Each later step keeps the template's value when an earlier one fails.
enum class PatchResult { Complete, FailedAtDataLength, FailedAtRiffLength, FailedAtFormat };

// Patch: data length at 40, data length + 36 at 4 (32-bit arithmetic), then the first 16
// bytes of the stream's format record at 20. Stops at the first incomplete write or seek.
PatchResult PatchWavHeader(std::FILE* file, std::int32_t dataLength, const unsigned char* formatRecord16);
