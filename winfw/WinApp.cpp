#include "winfw/WinApp.h"

#include <process.h>

#include <cwchar>
#include <memory>
#include <vector>

#include "winfw/Mbcs.h"
#include "winfw/Wnd.h"
#include "winfw/portable/ModulePath.h"

namespace {
CWinApp* g_pApp = nullptr;

struct RegKeyTraits {
  static HKEY Invalid() { return nullptr; }
  static void Close(HKEY key) { RegCloseKey(key); }
};
using UniqueRegKey = UniqueHandle<HKEY, RegKeyTraits>;

// Read as UTF-16: the narrow call cuts a name that takes more bytes than the buffer
// between two characters and reports no shortage.
std::string ModuleFileName(HINSTANCE instance) {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(instance, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return WideToAnsi(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}
}  // namespace

CWinApp::CWinApp() { g_pApp = this; }

CWinApp::~CWinApp() {
  if (g_pApp == this) g_pApp = nullptr;
}

CWinApp* AfxGetApp() { return g_pApp; }

HINSTANCE AfxGetInstanceHandle() { return g_pApp ? g_pApp->m_hInstance : GetModuleHandleA(nullptr); }

void CWinApp::Startup(HINSTANCE instance) {
  m_hInstance = instance;
  const std::string path = ModuleFileName(instance);
  m_strAppName = ModuleBaseName(path, IsAnsiLeadByte);
  m_strHelpFilePath = ReplaceExtension(path, ".HLP", IsAnsiLeadByte);
}

int CWinApp::Run(HINSTANCE instance) {
  Startup(instance);
  InitInstance();
  return 0;
}

HKEY CWinApp::OpenSectionKey(const char* section) const {
  if (m_strRegistryKey.empty() || m_strAppName.empty()) return nullptr;
  const std::string path = "software\\" + m_strRegistryKey + "\\" + m_strAppName + "\\" + section;
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return nullptr;
  return key;
}

UINT CWinApp::GetProfileInt(const char* section, const char* entry, int defaultValue) const {
  UniqueRegKey key(OpenSectionKey(section));
  if (!key) return static_cast<UINT>(defaultValue);
  DWORD type = 0, value = 0, size = sizeof(value);
  if (RegQueryValueExA(key.Get(), entry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
          ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(value))
    return static_cast<UINT>(defaultValue);
  return value;
}

// Strings go through the registry's own UTF-16, converted here, so that the sizes are
// counted in one unit: a value stored by an earlier version in another code page reads
// back as the same text.
std::string CWinApp::GetProfileString(const char* section, const char* entry,
                                      const char* defaultValue) const {
  const std::string fallback = defaultValue ? defaultValue : "";
  UniqueRegKey key(OpenSectionKey(section));
  if (!key) return fallback;
  const std::wstring name = AnsiToWide(entry ? entry : "");
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return fallback;
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
      ERROR_SUCCESS)
    return fallback;
  return WideToAnsi(buffer.data(), std::wcslen(buffer.data()));  // up to the first NUL, stored or added
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* entry, int value) const {
  UniqueRegKey key(OpenSectionKey(section));
  if (!key) return FALSE;
  const DWORD data = static_cast<DWORD>(value);
  return RegSetValueExA(key.Get(), entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof(data)) ==
         ERROR_SUCCESS;
}

BOOL CWinApp::WriteProfileString(const char* section, const char* entry, const char* value) const {
  UniqueRegKey key(OpenSectionKey(section));
  if (!key) return FALSE;
  const std::wstring text = AnsiToWide(value ? value : "");
  return RegSetValueExW(key.Get(), AnsiToWide(entry ? entry : "").c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

namespace {
// With no icon named, OK boxes warn and Yes/No boxes ask.
UINT WithDefaultIcon(UINT type) {
  if (type & MB_ICONMASK) return type;
  switch (type & MB_TYPEMASK) {
    case MB_OK:
    case MB_OKCANCEL:
      return type | MB_ICONEXCLAMATION;
    case MB_YESNO:
    case MB_YESNOCANCEL:
      return type | MB_ICONQUESTION;
    default:
      return type;
  }
}
}  // namespace

int AfxMessageBox(const char* text, UINT type) {
  CWinApp* app = AfxGetApp();
  HWND owner = app && app->m_pMainWnd ? app->m_pMainWnd->m_hWnd : nullptr;
  const char* caption = app && !app->m_strAppName.empty() ? app->m_strAppName.c_str() : nullptr;
  return MessageBoxA(owner, text, caption, WithDefaultIcon(type));
}

namespace {
struct ThreadStart {
  unsigned (*proc)(void*);
  void* param;
};

unsigned __stdcall ThreadTrampoline(void* p) {
  const std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(p));
  return start->proc(start->param);
}
}  // namespace

UniqueKernelHandle AfxBeginThread(unsigned (*proc)(void*), void* param) {
  auto start = std::make_unique<ThreadStart>(ThreadStart{proc, param});
  const uintptr_t handle = _beginthreadex(nullptr, 0, &ThreadTrampoline, start.get(), 0, nullptr);
  if (!handle) return UniqueKernelHandle();
  start.release();  // the thread owns it now
  return UniqueKernelHandle(reinterpret_cast<HANDLE>(handle));
}
