#include "app/ConverterApp.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/Settings.h"
#include "mainwnd/ConverterDlg.h"
#include "mainwnd/MediaText.h"
#include "media/BoundedCall.h"
#include "winfw/Mbcs.h"
#include "winfw/Paths.h"
#include "winfw/UniqueHandle.h"

CConverterApp theApp;

namespace {
// The first argument after the program's name, quotes removed, read from the wide command
// line so that a name in any script arrives whole; empty when there is none.
std::wstring FirstArgument() {
  int count = 0;
  UniqueLocalMemory argv(CommandLineToArgvW(GetCommandLineW(), &count));
  if (!argv || count < 2) return {};
  return static_cast<wchar_t**>(argv.Get())[1];
}
}  // namespace

std::string CConverterApp::FileNamedAtStart() {
  const std::wstring argument = FirstArgument();
  if (argument.empty()) return {};
  const std::string given = WideToAnsi(argument.c_str(), argument.size());
  if (given.empty() || IsUrlLikePath(given)) return given;
  // Made full now: a file dialog may change the current folder before the conversion
  // opens the file again.
  const std::wstring full = FullPath(argument);
  return WideToAnsi(full.c_str(), full.size());
}

BOOL CConverterApp::InitInstance() {
  // The dialog hosts common controls only; registering their classes stands in for
  // enabling control hosting.
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  SetRegistryKey(settings::kRegistryKey);

  CConverterDlg dlg;
  dlg.m_strStartFile = FileNamedAtStart();  // Open with, or a file dropped on the program's icon
  m_pMainWnd = &dlg;
  dlg.DoModal();
  m_pMainWnd = nullptr;
  if (dlg.WorkerLeftBehind() || PlatformCallsUnderWay() > 0) EndProcess(dlg);
  return FALSE;
}

void CConverterApp::EndProcess(const CConverterDlg& dlg) {
  // A job or a duration probe stuck in a platform call outlived the window: end the
  // process now, while the dialog that a worker refers to still exists, and without
  // unloading the media services under a call still in them (they fault if unloaded then).
  if (dlg.WorkerLeftBehind() || PlatformCallsUnderWay() > 0) TerminateProcess(GetCurrentProcess(), 0);
  ExitProcess(0);
}
