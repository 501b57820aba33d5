#include "controls/Background.h"

#include "controls/LabelLayout.h"
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
  RECT client = {};
  GetClientRect(window, &client);
  return {client.right - client.left, client.bottom - client.top};
}
}  // namespace

bool TileDialogBackground(HWND window, HDC dc) {
  const HBITMAP texture = g_pBackgroundBitmap ? g_pBackgroundBitmap->GetSafeHandle() : nullptr;
  if (!texture) return false;
  const SIZE tile = g_pBackgroundBitmap->GetSize();
  if (tile.cx <= 0 || tile.cy <= 0) return false;
  UniqueMemoryDc memory(CreateCompatibleDC(nullptr));
  if (!memory) return false;

  // Whole tiles from the top-left corner; the DC's clipping cuts those at the edges and
  // keeps the copy to the part being repainted, so the pattern never shifts.
  const SIZE area = ClientSize(window);
  const int rows = label_layout::TileCount(area.cy, tile.cy);
  const int columns = label_layout::TileCount(area.cx, tile.cx);
  ScopedSelect select(memory.Get(), texture);
  for (int row = 0; row < rows; ++row)
    for (int column = 0; column < columns; ++column)
      BitBlt(dc, column * tile.cx, row * tile.cy, tile.cx, tile.cy, memory.Get(), 0, 0, SRCCOPY);
  return true;
}

void PaintDialogBackground(HWND window, HDC dc) {
  if (!TileDialogBackground(window, dc)) return;
  const SIZE area = ClientSize(window);
  SelectClipRgn(dc, nullptr);
  ExcludeClipRect(dc, 0, 0, area.cx, area.cy);
}
