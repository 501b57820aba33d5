#include "support/WinTestSupport.h"

#include <commctrl.h>

#include <cstdlib>
#include <utility>

#include "app/ConverterApp.h"
#include "app/Settings.h"
#include "winfw/Dialog.h"

void PrepareApp() {
  static bool started = false;
  if (!started) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    theApp.Startup(GetModuleHandleA(nullptr));
    theApp.SetRegistryKey(settings::kRegistryKey);
    started = true;
  }
  ClearSettings();
}

void ClearSettings() {
  const std::string key = std::string("software\\") + settings::kRegistryKey + "\\" + theApp.m_strAppName;
  RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
}

std::string WindowsPath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string TestMedia(const char* name) {
  const char* dir = std::getenv("SONBREL_TEST_MEDIA");
  return WindowsPath(std::string(dir ? dir : "/tmp") + "/" + name);
}

std::string TempFolder(const char* name) {
  // Each build tree has its own (SONBREL_TEST_TMP), so that two trees can test at once.
  const char* root = std::getenv("SONBREL_TEST_TMP");
  const std::string base = root && *root ? WindowsPath(root) : std::string("Z:\\tmp\\sonbrel-tests");
  CreateDirectoryA(base.c_str(), nullptr);
  const std::string folder = base + "\\" + theApp.m_strAppName + "-" + name;
  CreateDirectoryA(folder.c_str(), nullptr);
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::string file = folder + "\\" + data.cFileName;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(file.c_str());
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  return folder;
}

std::string ProgramPath() {
  const char* unix = std::getenv("SONBREL_PROGRAM");
  return WindowsPath(unix ? unix : "");
}

std::string UnixPath(const std::string& windowsPath) {
  std::string path = windowsPath.compare(0, 2, "Z:") == 0 ? windowsPath.substr(2) : windowsPath;
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

std::wstring Wide(const std::string& utf8) {
  std::wstring wide(utf8.size() + 1, L'\0');
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0],
                                    static_cast<int>(wide.size()));
  wide.resize(static_cast<size_t>(n > 0 ? n : 0));
  return wide;
}

void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start >= timeoutMs) return done();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

bool PumpPending() {
  return PumpUntil([] {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    return HIWORD(GetQueueStatus(QS_ALLINPUT & ~QS_TIMER)) == 0;
  });
}

namespace {
struct ModalScript {
  CDialog* dlg;
  std::function<void(HWND)> script;
  bool autoClose;
  bool ran = false;
};
ModalScript* g_script = nullptr;

void CALLBACK RunScript(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  ModalScript* s = g_script;
  if (!s || s->ran || !s->dlg->m_hWnd) return;
  s->ran = true;
  HWND dialog = s->dlg->m_hWnd;
  s->script(dialog);
  if (s->autoClose && IsWindow(dialog) && IsWindowVisible(dialog)) PostMessageA(dialog, WM_CLOSE, 0, 0);
}
}  // namespace

INT_PTR RunAsMainWindow(CDialog& dlg, const std::function<void(HWND)>& script, bool autoClose) {
  // Puts back the previous main window and forgets the script on every way out.
  struct Restore {
    CWnd* mainWindow;
    ~Restore() {
      theApp.m_pMainWnd = mainWindow;
      g_script = nullptr;
    }
  } restore{std::exchange(theApp.m_pMainWnd, &dlg)};
  ModalScript s{&dlg, script, autoClose};
  g_script = &s;
  SetTimer(nullptr, 0, 50, &RunScript);
  return dlg.DoModal();
}

void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

std::string ItemText(HWND dialog, int id) {
  char text[1024] = {};
  GetDlgItemTextA(dialog, id, text, sizeof(text));
  return text;
}

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

std::string WindowTitle(HWND hwnd) {
  wchar_t wide[2048] = {};
  const int length = GetWindowTextW(hwnd, wide, 2048);
  std::string text(static_cast<size_t>(length) * 4 + 1, '\0');
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide, length, &text[0], static_cast<int>(text.size()), nullptr, nullptr);
  text.resize(static_cast<size_t>(n > 0 ? n : 0));
  return text;
}

namespace {
ModalAnswerer* g_answerer = nullptr;

struct Found {
  std::string caption;  // for Kind::Dialog
  bool byCaption;
  DWORD processId;
  HWND box = nullptr;
};

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM lp) {
  Found* found = reinterpret_cast<Found*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != found->processId || !IsWindowVisible(hwnd)) return TRUE;
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof(cls));
  if (std::string(cls) != "#32770") return TRUE;
  if (found->byCaption) {
    if (WindowTitle(hwnd) != found->caption) return TRUE;
  } else if (!GetDlgItem(hwnd, 0xFFFF) && !GetDlgItem(hwnd, 0x47C)) {
    // A message box has its text in static 0xFFFF; a file dialog has the name box 0x47C.
    return TRUE;
  }
  found->box = hwnd;
  return FALSE;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM lp) {
  char cls[64] = {};
  GetClassNameA(child, cls, sizeof(cls));
  if (lstrcmpiA(cls, "Static") == 0) {
    const std::string text = WindowTitle(child);
    if (!text.empty()) *reinterpret_cast<std::string*>(lp) += text + "\n";
  }
  return TRUE;
}
}  // namespace

ModalAnswerer::ModalAnswerer(DWORD processId) : m_nProcessId(processId) {
  g_answerer = this;
  m_timer = SetTimer(nullptr, 0, 30, &ModalAnswerer::OnTimer);
}

ModalAnswerer::~ModalAnswerer() {
  KillTimer(nullptr, m_timer);
  g_answerer = nullptr;
}

void ModalAnswerer::PressOnNextBox(int button, std::function<void()> first, std::function<bool()> until) {
  m_answers.push_back({Kind::MessageBox, button, {}, std::move(first), std::move(until)});
}

void ModalAnswerer::ChooseInNextFileDialog(const std::string& path) {
  m_answers.push_back({Kind::FileDialog, 0, path, {}, {}});
}

void ModalAnswerer::PressInNextDialog(const std::string& caption, int button) {
  m_answers.push_back({Kind::Dialog, button, caption, {}, {}});
}

void ModalAnswerer::Reset() {
  m_answers.clear();
  seen.clear();
}

namespace {
BOOL CALLBACK PressOnMessageBox(HWND hwnd, LPARAM button) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == GetCurrentProcessId() && GetDlgItem(hwnd, 0xFFFF))
    PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hwnd, static_cast<int>(button))));
  return TRUE;
}
}  // namespace

void ModalAnswerer::PressOnOpenBoxes(int button) { EnumWindows(&PressOnMessageBox, button); }

void CALLBACK ModalAnswerer::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (g_answerer && !g_answerer->m_polling) {
    g_answerer->m_polling = true;
    g_answerer->Poll();
    g_answerer->m_polling = false;
  }
}

void ModalAnswerer::Poll() {
  if (m_answers.empty()) return;
  Answer& next = m_answers.front();
  Found found{next.text, next.kind == Kind::Dialog, m_nProcessId};
  EnumWindows(&FindDialog, reinterpret_cast<LPARAM>(&found));
  if (!found.box) return;
  HWND box = found.box;
  const bool isFileDialog = GetDlgItem(box, 0x47C) != nullptr;
  if (next.kind != Kind::Dialog && isFileDialog != (next.kind == Kind::FileDialog))
    return;  // not the kind expected next; leave it
  if (next.first) std::exchange(next.first, nullptr)();  // may add answers: next is read again
  if (m_answers.front().until && !m_answers.front().until()) return;
  const Answer answer = m_answers.front();
  m_answers.erase(m_answers.begin());
  HWND owner = GetWindow(box, GW_OWNER);
  DWORD thread = GetWindowThreadProcessId(box, nullptr);
  const bool ownedByMain = owner && theApp.m_pMainWnd && owner == theApp.m_pMainWnd->m_hWnd;
  RECT rect = {};
  GetWindowRect(box, &rect);
  const auto has = [box](int id) { return GetDlgItem(box, id) != nullptr; };
  HWND icon = GetDlgItem(box, 0x0440);  // a message box's icon
  const bool showsIcon = icon && IsWindowVisible(icon) && SendMessageA(icon, STM_GETICON, 0, 0) != 0;
  Seen look{WindowTitle(box), {}, ownedByMain, thread, rect, owner, has(IDYES), has(IDNO), has(IDOK), showsIcon};
  if (answer.kind == Kind::Dialog) {
    EnumChildWindows(box, &CollectStaticText, reinterpret_cast<LPARAM>(&look.text));
    seen.push_back(look);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer.button, BN_CLICKED), 0);
    return;
  }
  if (isFileDialog) {
    seen.push_back(look);
    if (answer.text.empty()) {
      PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
      return;
    }
    HWND name = GetDlgItem(box, 0x47C);
    HWND edit = FindWindowExA(name, nullptr, "Edit", nullptr);
    SetWindowTextA(edit ? edit : name, answer.text.c_str());
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
    return;
  }
  look.text = WindowTitle(GetDlgItem(box, 0xFFFF));
  seen.push_back(look);
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer.button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, answer.button)));
}
