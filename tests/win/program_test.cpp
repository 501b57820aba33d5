// The real executable, started as its own process: the executable's name decides
// where its settings live, and a close through the window's close box stores them;
// started from a folder named in any script, it keeps its name, settings and help.
#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
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

// The stored output path, read as UTF-16 (as any other program reads it).
std::wstring StoredOutputFor(const std::string& appName) {
  const std::wstring key = Wide("software\\Travenor\\" + appName + "\\Option");
  wchar_t value[1024] = {};
  DWORD size = sizeof(value);
  if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"output_cut_file", RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS)
    return L"<absent>";
  return value;
}

// The executable started in its own folder, with its main window once that shows;
// arguments, if any, follow its name on the command line as given.
class Started {
 public:
  explicit Started(const std::string& exe, const std::string& arguments = "") {
    STARTUPINFOA si = {};
    si.cb = sizeof(si);
    std::string command = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    const std::string folder = exe.substr(0, exe.rfind('\\'));
    if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &m_pi))
      return;
    WindowOf window{m_pi.dwProcessId};
    PumpUntil(
        [&] {
          EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&window));
          return window.found != nullptr;
        },
        20000);
    main = window.found;
  }
  ~Started() {
    if (!m_pi.hProcess) return;
    if (WaitForSingleObject(m_pi.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(m_pi.hProcess, 1);
    CloseHandle(m_pi.hThread);
    CloseHandle(m_pi.hProcess);
  }
  Started(const Started&) = delete;
  Started& operator=(const Started&) = delete;

  bool Running() const { return m_pi.hProcess != nullptr; }
  DWORD ProcessId() const { return m_pi.dwProcessId; }
  // Closes the main window as its close box does; the process's exit code, or -1 when it did not end.
  long CloseAndWait() {
    if (main) PostMessageA(main, WM_CLOSE, 0, 0);
    DWORD exitCode = 0;
    if (WaitForSingleObject(m_pi.hProcess, 20000) != WAIT_OBJECT_0 || !GetExitCodeProcess(m_pi.hProcess, &exitCode))
      return -1;
    return static_cast<long>(exitCode);
  }

  HWND main = nullptr;

 private:
  PROCESS_INFORMATION m_pi = {};
};

std::wstring ItemTextW(HWND dialog, int id) {
  wchar_t text[1024] = {};
  GetDlgItemTextW(dialog, id, text, 1024);
  return text;
}
}  // namespace

TEST(Program, RenamingTheExecutableMovesItsSettings) {
  const std::string folder = TempFolder("renamed");
  const std::string renamed = folder + "\\Renamed Copy.exe";
  ASSERT_TRUE(CopyFileA(ProgramPath().c_str(), renamed.c_str(), FALSE)) << ProgramPath();
  RegDeleteTreeA(HKEY_CURRENT_USER, "software\\Travenor\\Renamed Copy");

  Started program(renamed);
  ASSERT_TRUE(program.Running());
  EXPECT_NE(program.main, nullptr);
  EXPECT_EQ(program.CloseAndWait(), 0);
  const std::wstring stored = StoredOutputFor("Renamed Copy");
  EXPECT_NE(stored, L"<absent>");
  EXPECT_NE(stored.find(L"output.wav"), std::wstring::npos);
  RegDeleteTreeA(HKEY_CURRENT_USER, "software\\Travenor\\Renamed Copy");
}

TEST(Program, InAFolderNamedInAnyScriptItKeepsItsNameItsSettingsAndItsHelp) {
  // Fewer than 260 characters, but more than 260 bytes: the letters take two each.
  std::string folder = TempFolder(u8"программа");
  for (int i = 0; i < 4; ++i) {
    folder += u8"\\Программы для звука и музыки";
    CreateDirectoryA(folder.c_str(), nullptr);
  }
  const std::string exe = folder + u8"\\Конвертер.exe";
  ASSERT_GT(exe.size(), 260u);
  ASSERT_LT(Wide(exe).size(), 259u);
  const std::string program = ProgramPath();
  ASSERT_TRUE(CopyFileA(program.c_str(), exe.c_str(), FALSE));
  const std::string help = program.substr(0, program.rfind('\\')) + "\\help.chm";
  ASSERT_TRUE(CopyFileA(help.c_str(), (folder + "\\help.chm").c_str(), FALSE)) << help;

  // The settings of the program named so, with an output path outside ASCII.
  const std::string key = u8"software\\Travenor\\Конвертер";
  RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
  const std::wstring output = Wide(u8"Z:\\tmp\\Выход 日本 été\\запись.wav");
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, Wide(key + "\\Option").c_str(), L"output_cut_file", REG_SZ,
                            output.c_str(), static_cast<DWORD>((output.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);

  Started started(exe);
  ASSERT_TRUE(started.Running());
  ASSERT_NE(started.main, nullptr);
  EXPECT_EQ(ItemTextW(started.main, IDC_OUTPUT_FILE), output);

  // Help finds the help file beside the executable.
  PostMessageA(started.main, WM_COMMAND, MAKEWPARAM(IDC_HELP_BUTTON, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(started.main, IDC_HELP_BUTTON)));
  HWND viewer = nullptr;
  EXPECT_TRUE(PumpUntil([&] { return (viewer = FindWindowA(nullptr, "Sonbrel Help")) != nullptr; }, 20000));
  if (viewer) PostMessageA(viewer, WM_CLOSE, 0, 0);

  // The close stores the path again, unchanged, where the next start reads it.
  EXPECT_EQ(started.CloseAndWait(), 0);
  EXPECT_EQ(StoredOutputFor(key.substr(key.rfind('\\') + 1)), output);
  RegDeleteTreeA(HKEY_CURRENT_USER, key.c_str());
}

namespace {
// The title line names the file; the name is in lower case, as it shows from the first
// position update on.
bool TitleNames(HWND main, const std::wstring& name) {
  return ItemTextW(main, IDC_TITLE).rfind(name + L"   00:00:", 0) == 0;
}
}  // namespace

// Open with starts the program with the file's path: it opens as Open MP3 File opens it.
TEST(Program, AFileNamedOnTheCommandLineOpensAtStart) {
  const std::string folder = TempFolder(u8"при запуске");
  const std::string exe = folder + "\\Opened At Start.exe";
  ASSERT_TRUE(CopyFileA(ProgramPath().c_str(), exe.c_str(), FALSE));
  const std::string russian = folder + u8"\\запись голоса.mp3";
  ASSERT_TRUE(CopyFileA(TestMedia("conv-mono22.mp3").c_str(), russian.c_str(), FALSE));
  const struct {
    std::string arguments;
    std::wstring name;
  } cases[] = {
      {TestMedia("conv-stereo44.mp3"), L"conv-stereo44.mp3"},  // unquoted
      // Quoted, with a space, in another script; the second file is ignored.
      {"\"" + russian + "\" \"" + TestMedia("conv-stereo44.mp3") + "\"", Wide(u8"запись голоса.mp3")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    Started program(exe, c.arguments);
    ASSERT_NE(program.main, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return TitleNames(program.main, c.name); }, 20000)) << ItemText(program.main, IDC_TITLE);
    EXPECT_NE(ItemText(program.main, IDC_END_CLOCK), "00:00:00");  // the file's length
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(program.main, IDC_CONVERT)));
    EXPECT_EQ(program.CloseAndWait(), 0);
  }
  RegDeleteTreeA(HKEY_CURRENT_USER, "software\\Travenor\\Opened At Start");
}

// A file that cannot be opened gets the open failure's word; the window stays usable.
TEST(Program, AFileNamedAtStartThatCannotOpenIsRefusedAndTheWindowStaysUsable) {
  const std::string exe = TempFolder("missing at start") + "\\Opened At Start.exe";
  ASSERT_TRUE(CopyFileA(ProgramPath().c_str(), exe.c_str(), FALSE));
  Started program(exe, "\"Z:\\no such folder\\no such file.mp3\"");
  ASSERT_NE(program.main, nullptr);
  ModalAnswerer answers(program.ProcessId());
  answers.PressOnNextBox(IDOK);
  answers.ChooseInNextFileDialog(TestMedia("conv-mono22.mp3"));
  ASSERT_TRUE(PumpUntil([&] { return answers.pending() == 1; }, 20000));
  EXPECT_EQ(answers.seen[0].caption, "Error");
  EXPECT_EQ(answers.seen[0].text, kProbeFailed);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(program.main, IDC_CONVERT)));  // no media open

  // Open MP3 File then opens another file as ever.
  PostMessageA(program.main, WM_COMMAND, MAKEWPARAM(IDC_OPEN, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(program.main, IDC_OPEN)));
  EXPECT_TRUE(PumpUntil([&] { return TitleNames(program.main, L"conv-mono22.mp3"); }, 20000));
  EXPECT_EQ(program.CloseAndWait(), 0);
  RegDeleteTreeA(HKEY_CURRENT_USER, "software\\Travenor\\Opened At Start");
}
