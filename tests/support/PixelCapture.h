// Reading back what a window shows: its client area as 32-bit pixels, and the pixels of
// a bitmap, for tests that check painting.
#pragma once

#include <windows.h>

#include <vector>

struct PixelImage {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;  // row by row from the top, as RGB()

  COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

// The client area of a window as it is on the screen (copied from its window DC).
PixelImage CaptureClient(HWND window);
// The pixels of a bitmap.
PixelImage BitmapPixels(HBITMAP bitmap);
// Writes an image as a 24-bit BMP file (for looking at a failure).
bool SaveBmp(const PixelImage& image, const char* path);
// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND parent, HWND child);
// Lets every pending paint run.
void SettlePainting(HWND window);
