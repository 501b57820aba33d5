// Shared by the preview tests: opening a file into the preview as Open does it, watching
// the position notifications, and counting what the process holds.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/PrivateMessages.h"
#include "mainwnd/ConverterDlg.h"
#include "preview/PreviewPlayer.h"
#include "support/WinTestSupport.h"

// Opens path in the main window as Open MP3 File does once its dialog has given the
// path (the program's own sequence): true when a new preview has started.
inline bool OpenInPreview(CConverterDlg& dlg, const std::string& path) {
  const HWND before = g_pPlayer ? g_pPlayer->m_hWnd : nullptr;
  dlg.OpenMediaFile(path);
  return g_pPlayer && g_pPlayer->m_hWnd != before;
}

// Starts the preview of path alone, as the opening's last step does: for a file the
// preview cannot render, which the opening's own probe would stop before it.
inline int StartPreviewOf(CConverterDlg& dlg, const std::string& path) {
  std::strncpy(dlg.m_szMediaPath, path.c_str(), sizeof(dlg.m_szMediaPath) - 1);
  return dlg.StartPreview(dlg.m_szMediaPath);
}

// Records every WM_POSITIONNOTIFY that the main window takes from its queue, with the
// time and the player's position at that moment.
class PositionWatch {
 public:
  struct Tick {
    DWORD when;
    ReferenceTime position;
    ReferenceTime stop;
  };
  PositionWatch() {
    s_watch = this;
    m_hook = SetWindowsHookExA(WH_GETMESSAGE, &Hook, nullptr, GetCurrentThreadId());
  }
  ~PositionWatch() {
    UnhookWindowsHookEx(m_hook);
    s_watch = nullptr;
  }
  PositionWatch(const PositionWatch&) = delete;
  PositionWatch& operator=(const PositionWatch&) = delete;

  // Waits for the next n notifications; false on time-out.
  bool WaitTicks(size_t n, DWORD timeoutMs = 5000) {
    const size_t target = ticks.size() + n;
    return PumpUntil([&] { return ticks.size() >= target; }, timeoutMs);
  }
  std::vector<Tick> ticks;

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp) {
    const MSG* msg = reinterpret_cast<const MSG*>(lp);
    if (code == HC_ACTION && wp == PM_REMOVE && msg->message == WM_POSITIONNOTIFY && s_watch && g_pPlayer)
      s_watch->ticks.push_back({GetTickCount(), g_pPlayer->m_rtPosition, g_pPlayer->m_rtStop});
    return CallNextHookEx(nullptr, code, wp, lp);
  }
  static inline PositionWatch* s_watch = nullptr;
  HHOOK m_hook = nullptr;
};

// Sends the slider's release notification to the main window, as the trackbar does when
// the user lets go of the thumb at pos.
inline void ReleaseSliderAt(HWND dialog, int pos) {
  HWND slider = GetDlgItem(dialog, IDC_SLIDER);
  SendMessageA(slider, TBM_SETPOS, TRUE, pos);
  NMHDR hdr = {slider, static_cast<UINT_PTR>(IDC_SLIDER), static_cast<UINT>(NM_RELEASEDCAPTURE)};
  SendMessageA(dialog, WM_NOTIFY, IDC_SLIDER, reinterpret_cast<LPARAM>(&hdr));
}

// What the process holds, for leak checks.
struct ProcessCounts {
  int windows = 0;  // top-level and child windows of this process
  int threads = 0;
  DWORD handles = 0;      // GetProcessHandleCount
  long tableHandles = 0;  // from the system's handle table
  DWORD gdiObjects = 0;
  DWORD userObjects = 0;
};

inline BOOL CALLBACK CountChild(HWND, LPARAM lp) {
  ++*reinterpret_cast<int*>(lp);
  return TRUE;
}

inline BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM lp) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != GetCurrentProcessId()) return TRUE;
  ++*reinterpret_cast<int*>(lp);
  EnumChildWindows(hwnd, &CountChild, lp);
  return TRUE;
}

// Handles of this process from the system's handle table (the per-process handle count
// is not kept by every platform this runs on); -1 when the table cannot be read.
inline long CountHandlesInSystemTable() {
  struct Entry {
    USHORT processId;
    USHORT creatorBackTraceIndex;
    UCHAR objectTypeIndex;
    UCHAR attributes;
    USHORT handle;
    PVOID object;
    ULONG grantedAccess;
  };
  struct Table {
    ULONG count;
    Entry entries[1];
  };
  using QueryFn = LONG(WINAPI*)(int, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<QueryFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return -1;
  std::vector<unsigned char> buffer(1 << 16);
  for (int attempt = 0; attempt < 12; ++attempt) {
    ULONG needed = 0;
    const LONG status = query(16 /* handle table */, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == 0) {
      const auto* table = reinterpret_cast<const Table*>(buffer.data());
      long mine = 0;
      for (ULONG i = 0; i < table->count; ++i)
        if (table->entries[i].processId == static_cast<USHORT>(GetCurrentProcessId())) ++mine;
      return mine;
    }
    buffer.resize(buffer.size() * 2);
  }
  return -1;
}

inline ProcessCounts CountProcess() {
  ProcessCounts c;
  EnumWindows(&CountTopLevel, reinterpret_cast<LPARAM>(&c.windows));
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++c.threads;
  CloseHandle(snapshot);
  GetProcessHandleCount(GetCurrentProcess(), &c.handles);
  c.tableHandles = CountHandlesInSystemTable();
  c.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  c.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  return c;
}

// Windows of class "PreviewWindow" that exist in this process.
inline int CountPreviewWindows() {
  int count = 0;
  HWND hwnd = nullptr;
  while ((hwnd = FindWindowExA(nullptr, hwnd, "PreviewWindow", nullptr)) != nullptr) ++count;
  return count;
}

constexpr ReferenceTime kSecond = 10'000'000;
// The position poll the tests set (CConverterDlg::m_timing), so that waits for
// the display take a fraction of the program's second.
constexpr UINT kTestPollMs = 200;
