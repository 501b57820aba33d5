// The application object.
#pragma once

#include <string>

#include "winfw/WinApp.h"

class CConverterDlg;

class CConverterApp : public CWinApp {
 public:
  CConverterApp() = default;
  BOOL InitInstance() override;
  // Ends the process now, with exit code 0, once dlg's session has ended.
  [[noreturn]] static void EndProcess(const CConverterDlg& dlg);
  // The file named first on the command line, as a full path in the ANSI code page (a
  // URL-like name as given); empty without one. Further arguments are ignored.
  static std::string FileNamedAtStart();

  // 1 while the left mouse button is held on the position slider, else 0.
  int m_bSliderDragging = 0;
};

extern CConverterApp theApp;
