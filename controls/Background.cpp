#include "controls/Background.h"

#include "res/resource.h"
#include "winfw/Bitmap.h"
#include "winfw/UniqueHandle.h"

CBitmap* g_pBackgroundBitmap = nullptr;

void LoadBackgroundBitmap(HINSTANCE instance) {
  if (g_pBackgroundBitmap) return;  // lives until the process ends
  g_pBackgroundBitmap = new CBitmap;
  g_pBackgroundBitmap->LoadBitmap(instance, IDB_BACKGROUND);
}

namespace {
SIZE ClientSize(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  return {client.right - client.left, client.bottom - client.top};
}
}  // namespace

void TileDialogBackground(HWND window, HDC dc) {
  const SIZE size = ClientSize(window);
  const int width = size.cx;
  const int height = size.cy;
  const HBITMAP texture = g_pBackgroundBitmap ? g_pBackgroundBitmap->GetSafeHandle() : nullptr;
  if (texture) {
    const SIZE tile = g_pBackgroundBitmap->GetSize();
    UniqueMemoryDc memory(CreateCompatibleDC(nullptr));
    if (memory && tile.cx > 0 && tile.cy > 0) {
      ScopedSelect select(memory.Get(), texture);
      for (int y = 0; y < height; y += tile.cy)
        for (int x = 0; x < width; x += tile.cx) BitBlt(dc, x, y, tile.cx, tile.cy, memory.Get(), 0, 0, SRCCOPY);
    }
  }
}

void PaintDialogBackground(HWND window, HDC dc) {
  TileDialogBackground(window, dc);
  const SIZE size = ClientSize(window);
  SelectClipRgn(dc, nullptr);
  ExcludeClipRect(dc, 0, 0, size.cx, size.cy);
}
