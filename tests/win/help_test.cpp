// Help, Homepage and the update question at close, driven through the real dialog and
// the real PromptUpdateCheck with the clock (and, where a browser would start, the
// shell) put in place by the test.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/ConverterApp.h"
#include "app/Settings.h"
#include "help/HelpPlatform.h"
#include "help/HelpRules.h"
#include "help/WebLinks.h"
#include "mainwnd/ConverterDlg.h"
#include "support/WinTestSupport.h"

namespace {
constexpr std::int64_t kNow = 1796000000;  // 2026-11-30
constexpr int kMissing = 0x5EEDBEEF;
constexpr char kQuestion[] = "Do you want to check the lastest version on our website?";
constexpr char kBrowserFailure[] =
    "The Program does not launch your web browser to access http://travenor.example ,\n"
    "Please launch your web browser and input the URL manually.";

// What the handlers handed to the system.
struct Handoffs {
  std::int64_t now = kNow;
  INT_PTR urlResult = 42;
  std::vector<std::string> urls;
  std::vector<std::pair<std::string, UINT>> commands;

  HelpPlatform Platform() {
    HelpPlatform p;
    p.now = [this] { return now; };
    p.openUrl = [this](const char* url) {
      urls.push_back(url);
      return reinterpret_cast<HINSTANCE>(urlResult);
    };
    p.runCommand = [this](const char* commandLine, UINT show) {
      commands.emplace_back(commandLine, show);
      return 33u;
    };
    return p;
  }
};

// How each message box of this thread looked when it came up.
struct BoxLook {
  HWND box;
  std::string caption, text;
  bool yes, no, ok, icon;
  HWND owner;
};
std::vector<BoxLook>* g_boxes = nullptr;

std::string TextOf(HWND hwnd) {
  char text[1024] = {};
  GetWindowTextA(hwnd, text, sizeof(text));
  return text;
}

LRESULT CALLBACK WatchBoxes(int code, WPARAM wp, LPARAM lp) {
  HWND hwnd = reinterpret_cast<HWND>(wp);
  char cls[16] = {};
  // A box is activated again when another window gave the focus back: count it once.
  if (code == HCBT_ACTIVATE && g_boxes && GetClassNameA(hwnd, cls, sizeof(cls)) && std::string(cls) == "#32770" &&
      GetDlgItem(hwnd, 0xFFFF) && (g_boxes->empty() || g_boxes->back().box != hwnd)) {
    auto has = [hwnd](int id) { return GetDlgItem(hwnd, id) != nullptr; };
    HWND icon = GetDlgItem(hwnd, 0x0440);
    const bool showsIcon = icon && IsWindowVisible(icon) && SendMessageA(icon, STM_GETICON, 0, 0) != 0;
    g_boxes->push_back({hwnd, TextOf(hwnd), TextOf(GetDlgItem(hwnd, 0xFFFF)), has(IDYES), has(IDNO), has(IDOK), showsIcon,
                        GetWindow(hwnd, GW_OWNER)});
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

class HelpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PrepareApp();
    m_savedHelpPath = theApp.m_strHelpFilePath;
    g_boxes = &boxes;
    m_hook = SetWindowsHookExA(WH_CBT, &WatchBoxes, nullptr, GetCurrentThreadId());
  }
  void TearDown() override {
    UnhookWindowsHookEx(m_hook);
    g_boxes = nullptr;
    theApp.m_strHelpFilePath = m_savedHelpPath;
  }

  static void Store(std::int32_t value) {
    theApp.WriteProfileInt(settings::kSetupSection, settings::kFirstUpdateKey, value);
  }
  static int Stored() {
    return static_cast<int>(theApp.GetProfileInt(settings::kSetupSection, settings::kFirstUpdateKey, kMissing));
  }
  // Runs the main dialog and closes it with its close box, as the user would.
  static void OpenAndClose() {
    CConverterDlg dlg;
    RunAsMainWindow(dlg, [](HWND) {});  // the driver closes it with WM_CLOSE
  }
  static void ClickInDialog(int id) {
    CConverterDlg dlg;
    RunAsMainWindow(dlg, [id](HWND h) { Click(h, id); });
  }

  Handoffs handoffs;
  std::vector<BoxLook> boxes;

 private:
  std::string m_savedHelpPath;
  HHOOK m_hook = nullptr;
};

// The folder of the program under test: the test programs lie in tests/ below it.
std::string ProgramDirectory() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string parent(path);
  parent = parent.substr(0, parent.find_last_of('\\') + 1) + "..";
  char full[MAX_PATH] = {};
  GetFullPathNameA(parent.c_str(), MAX_PATH, full, nullptr);
  return std::string(full) + "\\";
}
}  // namespace

// --- Help ---

TEST_F(HelpTest, HelpStartsTheViewerUnquotedEvenWhenTheFolderHasSpacesAndNoHelpFile) {
  const std::string folder = TempFolder("no help here");
  ASSERT_EQ(GetFileAttributesA((folder + "\\help.chm").c_str()), INVALID_FILE_ATTRIBUTES);
  theApp.m_strHelpFilePath = folder + "\\Sonbrel.HLP";
  ScopedHelpPlatform platform(handoffs.Platform());

  ClickInDialog(IDC_HELP_BUTTON);

  ASSERT_EQ(handoffs.commands.size(), 1u);
  EXPECT_EQ(handoffs.commands[0].first, "hh.exe " + folder + "\\help.chm::/Introduction.htm");
  EXPECT_EQ(handoffs.commands[0].second, static_cast<UINT>(SW_SHOW));
  EXPECT_TRUE(boxes.empty());
}

TEST_F(HelpTest, HelpWithTheFileMissingStillStartsTheViewer) {
  // The real WinExec: the viewer is started although the file is not there.
  theApp.m_strHelpFilePath = TempFolder("missing") + "\\Sonbrel.HLP";
  std::vector<UINT> results;
  HelpPlatform real = SystemHelpPlatform();
  real.runCommand = [&results](const char* commandLine, UINT show) {
    results.push_back(WinExec(commandLine, show));
    return results.back();
  };
  ScopedHelpPlatform platform(real);
  ClickInDialog(IDC_HELP_BUTTON);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_GT(results[0], 31u) << "WinExec did not start hh.exe";
}

TEST_F(HelpTest, HelpOpensTheHelpFileBesideTheExecutableInTheViewer) {
  const std::string programDir = ProgramDirectory();
  ASSERT_NE(GetFileAttributesA((programDir + "help.chm").c_str()), INVALID_FILE_ATTRIBUTES);
  theApp.m_strHelpFilePath = programDir + "Sonbrel.HLP";

  ClickInDialog(IDC_HELP_BUTTON);  // the real WinExec

  // The viewer's window carries the title that help.chm gives it.
  HWND viewer = nullptr;
  EXPECT_TRUE(PumpUntil([&] { return (viewer = FindWindowA(nullptr, "Sonbrel Help")) != nullptr; }, 20000));
  if (viewer) {
    DWORD pid = 0;
    GetWindowThreadProcessId(viewer, &pid);
    EXPECT_NE(pid, GetCurrentProcessId());
    PostMessageA(viewer, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([] { return FindWindowA(nullptr, "Sonbrel Help") == nullptr; }, 10000));
  }
}

// --- Homepage ---

TEST_F(HelpTest, HomepageOpensTheHomePageAndShowsNothing) {
  handoffs.urlResult = 2;  // even a failure shows nothing
  ScopedHelpPlatform platform(handoffs.Platform());
  ClickInDialog(IDC_HOMEPAGE);
  ASSERT_EQ(handoffs.urls.size(), 1u);
  EXPECT_EQ(handoffs.urls[0], "https://www.travenor.example/index.htm");
  EXPECT_TRUE(boxes.empty());
}

// --- The update question ---

TEST_F(HelpTest, FirstCloseStoresTheTimeAndAsksNothing) {
  ASSERT_EQ(Stored(), kMissing);
  ScopedHelpPlatform platform(handoffs.Platform());
  OpenAndClose();
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(Stored(), static_cast<int>(kNow));
  EXPECT_TRUE(handoffs.urls.empty());
}

TEST_F(HelpTest, CloseOneSecondLaterAsksAndNoStoresTheTime) {
  Store(static_cast<std::int32_t>(kNow - 15552001));
  ScopedHelpPlatform platform(handoffs.Platform());
  ModalAnswerer answerer;
  answerer.PressOnNextBox(IDNO);
  OpenAndClose();

  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Update the program");
  EXPECT_EQ(boxes[0].text, kQuestion);
  EXPECT_TRUE(boxes[0].yes);
  EXPECT_TRUE(boxes[0].no);
  EXPECT_FALSE(boxes[0].ok);
  EXPECT_FALSE(boxes[0].icon);
  EXPECT_EQ(boxes[0].owner, nullptr);
  EXPECT_EQ(answerer.pending(), 0);
  EXPECT_TRUE(handoffs.urls.empty());
  EXPECT_EQ(Stored(), static_cast<int>(kNow));

  // Answered: the next close, a day later, asks nothing.
  handoffs.now = kNow + 86400;
  OpenAndClose();
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_EQ(Stored(), static_cast<int>(kNow));
}

TEST_F(HelpTest, YesOpensTheProductPageAndStoresTheTime) {
  Store(0);  // 1970: the question is due
  ScopedHelpPlatform platform(handoffs.Platform());
  ModalAnswerer answerer;
  answerer.PressOnNextBox(IDYES);
  answerer.PressOnNextBox(IDOK);  // must stay unused: the browser started
  OpenAndClose();
  ASSERT_EQ(handoffs.urls.size(), 1u);
  EXPECT_EQ(handoffs.urls[0], "https://www.travenor.example/products/sonbrel.htm");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(answerer.pending(), 1);
  EXPECT_EQ(Stored(), static_cast<int>(kNow));
}

TEST_F(HelpTest, ShellResultOf32OrLessShowsTheBrowserFailure) {
  for (INT_PTR result : {INT_PTR{0}, INT_PTR{2}, INT_PTR{32}, INT_PTR{33}}) {
    SCOPED_TRACE(result);
    boxes.clear();
    Store(static_cast<std::int32_t>(kNow - 20000000));
    handoffs.urlResult = result;
    ScopedHelpPlatform platform(handoffs.Platform());
    ModalAnswerer answerer;
    answerer.PressOnNextBox(IDYES);
    answerer.PressOnNextBox(IDOK);
    PromptUpdateCheck(kProductPageUrl);
    if (result <= 32) {
      ASSERT_EQ(boxes.size(), 2u);
      EXPECT_EQ(boxes[1].caption, "unknown errors");
      EXPECT_EQ(boxes[1].text, kBrowserFailure);
      EXPECT_TRUE(boxes[1].ok);
      EXPECT_FALSE(boxes[1].yes);
      EXPECT_EQ(boxes[1].owner, nullptr);
      EXPECT_EQ(answerer.pending(), 0);
    } else {
      EXPECT_EQ(boxes.size(), 1u);
      EXPECT_EQ(answerer.pending(), 1);
    }
    EXPECT_EQ(Stored(), static_cast<int>(kNow));
  }
}

TEST_F(HelpTest, RealShellThatCannotOpenThePageShowsTheBrowserFailure) {
  // A scheme nothing is registered for: the system's own ShellExecuteA fails.
  HelpPlatform real = SystemHelpPlatform();
  real.now = [] { return kNow; };
  ScopedHelpPlatform platform(real);
  Store(0);
  ModalAnswerer answerer;
  answerer.PressOnNextBox(IDYES);
  answerer.PressOnNextBox(IDOK);
  PromptUpdateCheck("sonbrel-test-unregistered-scheme:products/sonbrel.htm");
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].caption, "unknown errors");
  EXPECT_EQ(answerer.pending(), 0);
  EXPECT_EQ(Stored(), static_cast<int>(kNow));
}

TEST_F(HelpTest, AfterThe32BitWrapAStoredTimeADayOldIsNotDue) {
  // 2040: the low 32 bits of the time are negative as a signed value.
  const std::int64_t now2040 = 2209000000LL;
  handoffs.now = now2040;
  ScopedHelpPlatform platform(handoffs.Platform());
  PromptUpdateCheck(kProductPageUrl);  // first close
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(Stored(), -2085967296);  // 2209000000 - 2^32: the low 32 bits, negative

  handoffs.now = now2040 + 86400;
  PromptUpdateCheck(kProductPageUrl);
  EXPECT_TRUE(boxes.empty());

  handoffs.now = now2040 + 15552001;
  ModalAnswerer answerer;
  answerer.PressOnNextBox(IDNO);
  PromptUpdateCheck(kProductPageUrl);
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_EQ(Stored(), -2070415295);  // 2224552001 - 2^32
}

TEST_F(HelpTest, ClosingAgainWhileTheQuestionIsUpAsksOnce) {
  // The question has no owner, so the main window's close box still works under it.
  Store(0);
  ScopedHelpPlatform platform(handoffs.Platform());
  ModalAnswerer answerer;
  // Three closes come (two here, one from the driver): spare answers for extra questions.
  for (int i = 0; i < 3; ++i) answerer.PressOnNextBox(IDNO);
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [](HWND h) {
    PostMessageA(h, WM_CLOSE, 0, 0);
    PostMessageA(h, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_EQ(answerer.pending(), 2);
  EXPECT_EQ(Stored(), static_cast<int>(kNow));
}

TEST_F(HelpTest, EscapeEndsTheDialogWithoutTheQuestion) {
  Store(0);
  ScopedHelpPlatform platform(handoffs.Platform());
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [](HWND h) { SendMessageA(h, WM_COMMAND, IDCANCEL, 0); });
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(Stored(), 0);
}
