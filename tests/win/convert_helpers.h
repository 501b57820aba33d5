// Driving the real dialog through a conversion: open a file through the open dialog,
// press Convert, answer the boxes, wait for the job to end. Header-only, for the
// conversion and opening tests.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "app/ConverterApp.h"
#include "mainwnd/ConverterDlg.h"
#include "support/LittleEndian.h"
#include "support/WinTestSupport.h"

namespace convtest {

inline int ProgressPos(HWND dlg) {
  return static_cast<int>(SendMessageA(GetDlgItem(dlg, IDC_PROGRESS), PBM_GETPOS, 0, 0));
}

// Opens path through the real open dialog (the answerer types it in). Any box that
// comes up is answered with OK; returns the texts of those boxes.
inline std::vector<std::string> OpenMedia(HWND dlg, const std::string& path) {
  ModalAnswerer answers;
  answers.ChooseInNextFileDialog(path);
  answers.PressOnNextBox(IDOK);
  answers.PressOnNextBox(IDOK);
  Click(dlg, IDC_OPEN);  // returns once the dialog and the opening have ended
  std::vector<std::string> boxes;
  for (size_t i = 1; i < answers.seen.size(); ++i) boxes.push_back(answers.seen[i].text);
  return boxes;
}

inline void SetOutput(HWND dlg, const std::string& path) { SetDlgItemTextA(dlg, IDC_OUTPUT_FILE, path.c_str()); }

// Waits until no job is active and the dialog is idle again.
inline bool WaitIdle(CConverterDlg& dlg, DWORD timeoutMs = 60000) {
  return PumpUntil([&] { return !dlg.JobActive() && ItemText(dlg.m_hWnd, IDC_CONVERT) == "Convert"; }, timeoutMs);
}

// Presses Convert and waits for the job (if one starts) to end.
inline void ConvertAndWait(CConverterDlg& dlg) {
  Click(dlg.m_hWnd, IDC_CONVERT);
  EXPECT_TRUE(WaitIdle(dlg));
}

// Runs action once, on this thread, when the job first shows a position of at least
// position on the bar. The worker waits in that message until action returns, so what
// action does happens after a known step of the job, however fast the job runs.
struct ProgressHook {
  int atPosition = 0;
  std::function<void()> action;
  WNDPROC barProc = nullptr;
  bool ran = false;
};
inline ProgressHook g_progressHook;
inline LRESULT CALLBACK HookedBarProc(HWND bar, UINT msg, WPARAM wp, LPARAM lp) {
  ProgressHook& hook = g_progressHook;
  if (msg == PBM_SETPOS && !hook.ran && static_cast<int>(wp) >= hook.atPosition) {
    hook.ran = true;
    hook.action();
  }
  return CallWindowProcA(hook.barProc, bar, msg, wp, lp);
}
inline void AtProgress(HWND dlg, int position, std::function<void()> action) {
  g_progressHook = {position, std::move(action), nullptr, false};
  g_progressHook.barProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(GetDlgItem(dlg, IDC_PROGRESS), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HookedBarProc)));
}

inline void ExpectIdle(CConverterDlg& dlg) {
  EXPECT_EQ(ItemText(dlg.m_hWnd, IDC_CONVERT), "Convert");
  EXPECT_EQ(ProgressPos(dlg.m_hWnd), 0);
  EXPECT_EQ(dlg.m_bStopped, 1);
  EXPECT_FALSE(dlg.JobActive());
}

inline std::vector<unsigned char> ReadBytes(const std::string& windowsPath) {
  std::ifstream in(windowsPath, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A complete header: lengths agree with the file's size.
inline void ExpectCompleteWav(const std::vector<unsigned char>& b) {
  ASSERT_GE(b.size(), 44u);
  EXPECT_EQ(U32(b, 4), b.size() - 8);
  EXPECT_EQ(U32(b, 40), b.size() - 44);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
  EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
}

// The folder the conversion tests write to: a Windows path of SONBREL_CONVERT_OUT.
inline std::string OutputFolder(const char* name) {
  const char* dir = std::getenv("SONBREL_CONVERT_OUT");
  if (!dir) return TempFolder(name);
  const std::string folder = WindowsPath(dir);
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

// Media names in several scripts: Cyrillic, Japanese, accented Latin, an emoji (four
// bytes in UTF-8), and capitals whose lower case takes another number of bytes in UTF-8
// (those stay capitals when the stored path is lowered). With each, its lower-cased form.
struct ScriptName {
  const char* name;
  const char* lowered;
};
inline const std::vector<ScriptName>& ScriptNames() {
  static const std::vector<ScriptName> names = {
      {u8"Москва ночью.mp3", u8"москва ночью.mp3"},
      {u8"日本語の歌.mp3", u8"日本語の歌.mp3"},
      {u8"Café DÉJÀ vu.mp3", u8"café déjà vu.mp3"},
      {u8"Song 🎵.mp3", u8"song 🎵.mp3"},
      {u8"Ⱥ Stroke.MP3", u8"Ⱥ stroke.mp3"},
  };
  return names;
}
constexpr char kScriptFolderName[] = u8"Песни · 音楽 · été";
constexpr char kScriptFolderLowered[] = u8"песни · 音楽 · été";

// A folder named outside ASCII inside base, holding a copy of the test media file under
// each of ScriptNames(). Made through UTF-16, so that the names are what they are
// whatever code page the program's narrow calls use.
inline std::string ScriptFolder(const std::string& base, const char* media) {
  const std::string folder = base + "\\" + kScriptFolderName;
  CreateDirectoryW(Wide(folder).c_str(), nullptr);
  for (const ScriptName& n : ScriptNames())
    EXPECT_TRUE(CopyFileW(Wide(TestMedia(media)).c_str(), Wide(folder + "\\" + n.name).c_str(), FALSE)) << n.name;
  return folder;
}

// A test that writes its output files into a fresh folder of its own.
class OutputFolderTest : public ::testing::Test {
 protected:
  explicit OutputFolderTest(const char* name) : m_name(name) {}
  void SetUp() override {
    PrepareApp();
    folder = TempFolder(m_name);
  }
  std::string Out(const char* file) const { return folder + "\\" + file; }
  std::string folder;

 private:
  const char* m_name;
};

}  // namespace convtest
