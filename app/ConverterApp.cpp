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
  if (dlg.WorkerLeftBehind()) EndProcess(dlg);
  return FALSE;
}

void CConverterApp::EndProcess(const CConverterDlg& dlg) {
  // A job stuck in a platform call outlived the window: end the process now, while the
  // dialog that its worker refers to still exists, and without unloading the media
  // services under the worker's live stream (they fault if unloaded then).
  if (dlg.WorkerLeftBehind()) TerminateProcess(GetCurrentProcess(), 0);
  ExitProcess(0);
}
