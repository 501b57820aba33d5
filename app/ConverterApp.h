// The application object.
#pragma once

#include "winfw/WinApp.h"

class CConverterApp : public CWinApp {
 public:
  CConverterApp() = default;
  BOOL InitInstance() override;

  // 1 while the left mouse button is held on the position slider, else 0.
  int m_bSliderDragging = 0;
};

extern CConverterApp theApp;
