#include "preview/PreviewGeometry.h"

#include <algorithm>

IntRect InitialPreviewRect(const IntRect& workArea, const IntRect& mainWindow) {
  IntRect rc;
  rc.left = workArea.left + 100;
  rc.top = workArea.top + 5;
  rc.right = workArea.left + (4 * (mainWindow.top - workArea.top - 5)) / 3;
  rc.bottom = mainWindow.top;
  rc.right = std::max(rc.right, rc.left);
  rc.bottom = std::max(rc.bottom, rc.top);
  return rc;
}

IntSize NormalWindowSize(int videoWidth, int videoHeight, int multiplier, int divider, int cxFrame, int cyFrame,
                         int cyCaption) {
  if (divider == 0) divider = 1;
  const int width = videoWidth * multiplier / divider;
  const int height = videoHeight * multiplier / divider;
  return {width + 2 * cxFrame, height + cyCaption + 2 * cyFrame};
}

namespace {
VideoPlace FullWidth(int cx, int cy, float ratio) {
  const int h2 = static_cast<int>(static_cast<float>(cx) / ratio);
  const int top = (cy - h2) / 2;
  return {0, top, cx, cy - 2 * top};
}

VideoPlace FullHeight(int cx, int cy, float ratio) {
  const int w2 = static_cast<int>(static_cast<float>(cy) * ratio);
  const int left = (cx - w2) / 2;
  return {left, 0, cx - 2 * left, cy};
}
}  // namespace

VideoPlace FitVideoToScreen(int cx, int cy, long w, long h) {
  // A renderer reporting no picture area would make the ratio infinite: fill the screen.
  if (w <= 0 || h <= 0) return {0, 0, cx, cy};
  const long W = 10 * w;
  const long H = 10 * h;
  const float ratio = static_cast<float>(W) / static_cast<float>(H);
  const float sx = static_cast<float>(cx) / static_cast<float>(W);
  const float sy = static_cast<float>(cy) / static_cast<float>(H);
  const bool wider = W > cx;
  const bool taller = H > cy;
  if (!wider && !taller) {
    return {static_cast<int>((cx - W) / 2), static_cast<int>((cy - H) / 2), static_cast<int>(W), static_cast<int>(H)};
  }
  if (wider && !taller) return FullWidth(cx, cy, ratio);
  if (!wider && taller) return FullHeight(cx, cy, ratio);
  return sx < sy ? FullWidth(cx, cy, ratio) : FullHeight(cx, cy, ratio);
}

std::string PreviewTitle(const std::string& file, bool paused, LeadByteTest isLeadByte) {
  const std::size_t separator = FindLastOf(file, "\\/", isLeadByte);
  const std::string name = separator == std::string::npos ? file : file.substr(separator + 1);
  return name + "  " + (paused ? "(Paused)" : "");
}

MenuGreying MenuGreyingFor(int state) {
  switch (state) {
    case 0:  // stopped
      return {false, true, true};
    case 1:  // paused
      return {false, true, false};
    case 2:  // playing
      return {true, false, false};
    default:  // no media
      return {false, false, false};
  }
}
