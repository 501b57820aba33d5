#include "convert/JobArithmetic.h"

std::int64_t ByteBudget(ReferenceTime start, ReferenceTime end, std::uint32_t avgBytesPerSec) {
  const double seconds = static_cast<double>(end - start) * 1e-7;
  return static_cast<std::int64_t>(seconds * static_cast<double>(avgBytesPerSec));
}

bool RangeIsValid(const ConvertRequest& request) {
  return request.start < request.end || (request.endAtMediaEnd && request.start > request.end);
}

std::int64_t JobBudget(const ConvertRequest& request, std::uint32_t avgBytesPerSec) {
  if (request.endAtMediaEnd) return INT64_MAX;
  return ByteBudget(request.start, request.end, avgBytesPerSec);
}

int ProgressPosition(std::int32_t written, std::int64_t budget) {
  if (budget <= 0) return kProgressMax;
  const double position = static_cast<double>(written) / static_cast<double>(budget) * 1000.0;
  if (position > kProgressMax) return kProgressMax;
  return static_cast<int>(position);
}

int BarFillPixels(int position, int barPixels) {
  const std::int64_t scaled = static_cast<std::int64_t>(position) * barPixels;
  return static_cast<int>((scaled + kProgressMax / 2) / kProgressMax);
}

bool ProgressSteps::Changes(int position) {
  const int fill = Fill(position);
  if (fill == m_nShownFill) return false;
  m_nShownFill = fill;
  return true;
}

bool SampleSteps::Next(std::uint32_t& offset, std::uint32_t& size) {
  if (m_bStarted && m_nOffset >= m_nFilled) return false;
  m_bStarted = true;
  const std::uint32_t left = m_nFilled - m_nOffset;
  offset = m_nOffset;
  size = left < kStepBytes ? left : kStepBytes;
  m_nOffset += size;
  return true;
}
