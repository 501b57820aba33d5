// CWinApp: the one application object of the process, its settings store in the
// registry (the profile functions) and the framework-level helpers around it.
#pragma once

#include <windows.h>

#include <string>

#include "winfw/UniqueHandle.h"

class CWnd;

class CWinApp {
 public:
  CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;
  virtual ~CWinApp();

  // Start-up as the entry point does it: instance, names, then InitInstance.
  int Run(HINSTANCE instance);
  // The part of start-up before InitInstance (also used by tests).
  void Startup(HINSTANCE instance);
  virtual BOOL InitInstance() { return FALSE; }

  // From here on settings live under HKCU\software\<company>\<application name>.
  void SetRegistryKey(const char* company) { m_strRegistryKey = company; }

  // The profile functions. A missing value, a value of the wrong kind or a key that
  // cannot be opened yields the default; a failed write is not reported.
  UINT GetProfileInt(const char* section, const char* entry, int defaultValue) const;
  std::string GetProfileString(const char* section, const char* entry, const char* defaultValue) const;
  BOOL WriteProfileInt(const char* section, const char* entry, int value) const;
  BOOL WriteProfileString(const char* section, const char* entry, const char* value) const;

  HINSTANCE m_hInstance = nullptr;
  std::string m_strAppName;        // the executable's base name
  std::string m_strHelpFilePath;   // the executable's full path with the extension .HLP
  std::string m_strRegistryKey;
  CWnd* m_pMainWnd = nullptr;

 private:
  HKEY OpenSectionKey(const char* section) const;
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();

// A message box with the application name as caption, owned by the main window; with no
// icon in type, an exclamation mark for OK and OK/Cancel, a question mark for Yes/No.
int AfxMessageBox(const char* text, UINT type = MB_OK);

// Starts a thread at normal priority with the default stack size; an empty handle
// when the thread could not be created.
UniqueKernelHandle AfxBeginThread(unsigned (*proc)(void*), void* param);
