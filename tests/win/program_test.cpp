// The real executable, started as its own process: the executable's name decides
// where its settings live, and a close through the window's close box stores them.
#include <gtest/gtest.h>

#include <string>

#include "support/WinTestSupport.h"

namespace {
struct WindowOf {
  DWORD pid;
  HWND found = nullptr;
};

BOOL CALLBACK FindMainWindow(HWND hwnd, LPARAM lp) {
  auto* w = reinterpret_cast<WindowOf*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char title[64] = {};
  GetWindowTextA(hwnd, title, sizeof(title));
  if (pid == w->pid && IsWindowVisible(hwnd) && std::string(title) == "Sonbrel") {
    w->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

std::string StoredOutputFor(const std::string& appName) {
  const std::string key = "software\\Travenor\\" + appName + "\\Option";
  char value[1024] = {};
  DWORD size = sizeof(value);
  if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), "output_cut_file", RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS)
    return "<absent>";
  return value;
}
}  // namespace

TEST(Program, RenamingTheExecutableMovesItsSettings) {
  const std::string folder = TempFolder("renamed");
  const std::string renamed = folder + "\\Renamed Copy.exe";
  ASSERT_TRUE(CopyFileA(ProgramPath().c_str(), renamed.c_str(), FALSE)) << ProgramPath();
  RegDeleteTreeA(HKEY_CURRENT_USER, "software\\Travenor\\Renamed Copy");

  STARTUPINFOA si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  std::string command = "\"" + renamed + "\"";
  ASSERT_TRUE(CreateProcessA(renamed.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             folder.c_str(), &si, &pi));
  WindowOf window{pi.dwProcessId};
  const bool shown = PumpUntil(
      [&] {
        EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&window));
        return window.found != nullptr;
      },
      20000);
  EXPECT_TRUE(shown);
  if (window.found) PostMessageA(window.found, WM_CLOSE, 0, 0);
  const DWORD waited = WaitForSingleObject(pi.hProcess, 20000);
  if (waited != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  DWORD exitCode = 1;
  GetExitCodeProcess(pi.hProcess, &exitCode);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);

  EXPECT_EQ(waited, WAIT_OBJECT_0);
  EXPECT_EQ(exitCode, 0u);
  const std::string stored = StoredOutputFor("Renamed Copy");
  EXPECT_NE(stored, "<absent>");
  EXPECT_NE(stored.find("output.wav"), std::string::npos);
  RegDeleteTreeA(HKEY_CURRENT_USER, "software\\Travenor\\Renamed Copy");
}
