#include "support/PixelCapture.h"

#include <cstdio>

#include "support/WinTestSupport.h"
#include "winfw/UniqueHandle.h"

namespace {
PixelImage ReadDc(HDC source, int width, int height) {
  PixelImage image;
  if (width <= 0 || height <= 0) return image;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueGdiObject section(CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  UniqueMemoryDc memory(CreateCompatibleDC(source));
  if (!section || !memory || !bits) return image;
  {
    ScopedSelect select(memory.Get(), section.Get());
    BitBlt(memory.Get(), 0, 0, width, height, source, 0, 0, SRCCOPY);
    GdiFlush();
  }
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<size_t>(width) * height);
  const DWORD* raw = static_cast<const DWORD*>(bits);
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    const DWORD p = raw[i];  // 0x00RRGGBB
    image.pixels[i] = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }
  return image;
}
}  // namespace

PixelImage CaptureClient(HWND window) {
  RECT client = {};
  GetClientRect(window, &client);
  HDC dc = GetDC(window);
  PixelImage image = ReadDc(dc, client.right, client.bottom);
  ReleaseDC(window, dc);
  return image;
}

PixelImage BitmapPixels(HBITMAP bitmap) {
  BITMAP info = {};
  if (!bitmap || !GetObjectA(bitmap, sizeof(info), &info)) return {};
  UniqueMemoryDc memory(CreateCompatibleDC(nullptr));
  ScopedSelect select(memory.Get(), bitmap);
  return ReadDc(memory.Get(), info.bmWidth, info.bmHeight);
}

bool SaveBmp(const PixelImage& image, const char* path) {
  const int stride = (image.width * 3 + 3) & ~3;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER header = {};
  header.biSize = sizeof(header);
  header.biWidth = image.width;
  header.biHeight = image.height;  // bottom-up
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biSizeImage = static_cast<DWORD>(stride * image.height);
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(header);
  file.bfSize = file.bfOffBits + header.biSizeImage;
  UniqueStdioFile out(std::fopen(path, "wb"));
  if (!out) return false;
  std::fwrite(&file, sizeof(file), 1, out.Get());
  std::fwrite(&header, sizeof(header), 1, out.Get());
  std::vector<unsigned char> row(static_cast<size_t>(stride), 0);
  for (int y = image.height - 1; y >= 0; --y) {
    for (int x = 0; x < image.width; ++x) {
      const COLORREF c = image.At(x, y);
      row[x * 3] = GetBValue(c);
      row[x * 3 + 1] = GetGValue(c);
      row[x * 3 + 2] = GetRValue(c);
    }
    std::fwrite(row.data(), 1, row.size(), out.Get());
  }
  return true;
}

RECT ChildRect(HWND parent, HWND child) {
  RECT rc = {};
  GetWindowRect(child, &rc);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

void SettlePainting(HWND window) {
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpPending();
}
