// The media framework's unit of time: signed 64-bit counts of 100 ns.
#pragma once

#include <cstdint>

using ReferenceTime = std::int64_t;
constexpr ReferenceTime kReferenceTimePerSecond = 10'000'000;
