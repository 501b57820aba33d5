#include "app/ConverterApp.h"

#include <commctrl.h>

#include "app/Settings.h"
#include "mainwnd/ConverterDlg.h"

CConverterApp theApp;

BOOL CConverterApp::InitInstance() {
  // The dialog hosts common controls only; registering their classes stands in for
  // enabling control hosting.
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  SetRegistryKey(settings::kRegistryKey);

  CConverterDlg dlg;
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;
  return FALSE;
}
