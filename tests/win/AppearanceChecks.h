// Checks of what the main window shows, shared by the appearance tests: the texture's
// pixels, the letters inside a caption label, the controls' rectangles, and a driver
// that runs the real dialog with its painting settled.
#pragma once

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/ConverterApp.h"
#include "controls/Background.h"
#include "mainwnd/ConverterDlg.h"
#include "support/PixelCapture.h"
#include "support/WinTestSupport.h"
#include "winfw/Bitmap.h"

namespace appearance {
// Paint smeared over an area to see whether it gets repainted.
constexpr COLORREF kMarker = RGB(255, 0, 255);

inline PixelImage Texture() {
  return g_pBackgroundBitmap ? BitmapPixels(g_pBackgroundBitmap->GetSafeHandle()) : PixelImage{};
}
inline COLORREF TextureAt(const PixelImage& texture, int x, int y) { return texture.At(x % texture.width, y % texture.height); }

inline int Brightness(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); }
// A letter's pixel: clearly darker than the texture under it.
inline bool IsInk(COLORREF pixel, COLORREF texture) { return Brightness(pixel) + 90 < Brightness(texture); }

inline bool Inside(const RECT& rc, int x, int y) { return x >= rc.left && x < rc.right && y >= rc.top && y < rc.bottom; }

inline std::vector<RECT> VisibleControls(HWND dialog, std::vector<int> except = {}) {
  std::vector<RECT> rects;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child)) continue;
    bool skip = false;
    for (int id : except) skip = skip || GetDlgCtrlID(child) == id;
    if (!skip) rects.push_back(ChildRect(dialog, child));
  }
  return rects;
}

inline bool InsideAny(const std::vector<RECT>& rects, int x, int y) {
  for (const RECT& rc : rects)
    if (Inside(rc, x, y)) return true;
  return false;
}

inline void KeepForLooking(const PixelImage& image, const char* name) {
  SaveBmp(image, (TempFolder("appearance") + "\\" + name + ".bmp").c_str());
}

struct LabelInk {
  int count = 0;
  int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1;  // bounding box, label coordinates
  int nonTexture = 0;  // pixels that are neither texture nor letters
};

// The letters inside a part of a label (label coordinates), judged against the texture.
inline LabelInk InkIn(const PixelImage& screen, const RECT& label, const RECT& part) {
  const PixelImage texture = Texture();
  LabelInk ink;
  for (int y = part.top; y < part.bottom; ++y)
    for (int x = part.left; x < part.right; ++x) {
      const int sx = label.left + x, sy = label.top + y;
      if (!screen.Contains(sx, sy)) continue;
      const COLORREF pixel = screen.At(sx, sy);
      const COLORREF under = TextureAt(texture, sx, sy);
      if (IsInk(pixel, under)) {
        ++ink.count;
        ink.left = std::min(ink.left, x);
        ink.right = std::max(ink.right, x);
        ink.top = std::min(ink.top, y);
        ink.bottom = std::max(ink.bottom, y);
      } else if (pixel != under && Brightness(pixel) >= Brightness(under)) {
        ++ink.nonTexture;  // a lighter pixel: a box or face colour behind the text
      }
    }
  return ink;
}

inline RECT LabelRect(HWND dialog, int id) { return ChildRect(dialog, GetDlgItem(dialog, id)); }
inline RECT WholeLabel(const RECT& label) { return {0, 0, label.right - label.left, label.bottom - label.top}; }

// The size of text in the label's font, measured as the label draws it: in UTF-16.
inline SIZE TextExtent(HWND label, const char* text) {
  HDC dc = GetDC(label);
  const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(label, WM_GETFONT, 0, 0));
  const HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
  SIZE size = {};
  const std::wstring wide = Wide(text);
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  return size;
}

inline void Smear(HWND dialog, const RECT& rc) {
  HDC dc = GetDC(dialog);
  HBRUSH brush = CreateSolidBrush(kMarker);
  FillRect(dc, &rc, brush);
  DeleteObject(brush);
  ReleaseDC(dialog, dc);
}

inline int CountColour(const PixelImage& screen, const RECT& rc, COLORREF colour) {
  int n = 0;
  for (int y = rc.top; y < rc.bottom; ++y)
    for (int x = rc.left; x < rc.right; ++x)
      if (screen.Contains(x, y) && screen.At(x, y) == colour) ++n;
  return n;
}

// Runs the real dialog and hands the script the dialog once everything is painted.
inline void RunMainDialog(const std::function<void(CConverterDlg&, HWND)>& script) {
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    SettlePainting(h);
    script(dlg, h);
  });
}
}  // namespace appearance
