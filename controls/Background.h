// The main window's textured background.
#pragma once

#include <windows.h>

class CBitmap;

// The texture (bitmap 130); created by the main window's initialisation, kept until the end.
extern CBitmap* g_pBackgroundBitmap;

// Creates g_pBackgroundBitmap and loads the texture into it (once per process).
void LoadBackgroundBitmap(HINSTANCE instance);
// Tiles the texture over the window's client area from (0, 0), rows then columns,
// and nothing more. Returns false, drawing nothing, when there is no texture.
bool TileDialogBackground(HWND window, HDC dc);
// Tiles the texture over the window's client area from (0, 0), then clips the client
// area out of dc so that the default erasing that follows changes none of its pixels.
// Without a texture the clipping is left alone, so the default erasing still paints
// the plain face rather than leaving the area unpainted.
void PaintDialogBackground(HWND window, HDC dc);
