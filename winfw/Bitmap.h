// An owned bitmap loaded from the module's resources.
#pragma once

#include <windows.h>

#include "winfw/UniqueHandle.h"

class CBitmap {
 public:
  BOOL LoadBitmap(HINSTANCE instance, UINT id) {
    m_bitmap.Reset(LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    return m_bitmap ? TRUE : FALSE;
  }
  HBITMAP GetSafeHandle() const { return static_cast<HBITMAP>(m_bitmap.Get()); }
  SIZE GetSize() const {
    BITMAP info = {};
    if (!m_bitmap || !GetObjectA(m_bitmap.Get(), sizeof(info), &info)) return {0, 0};
    return {info.bmWidth, info.bmHeight};
  }

 private:
  UniqueGdiObject m_bitmap;
};
