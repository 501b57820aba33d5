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

class HelpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PrepareApp();
    m_savedHelpPath = theApp.m_strHelpFilePath;
  }
  void TearDown() override { theApp.m_strHelpFilePath = m_savedHelpPath; }

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
  // Every box the test meets is answered here, and how it looked is kept in boxes.
  ModalAnswerer answerer;
  const std::vector<ModalAnswerer::Seen>& boxes = answerer.seen;

 private:
  std::string m_savedHelpPath;
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
    answerer.Reset();
    Store(static_cast<std::int32_t>(kNow - 20000000));
    handoffs.urlResult = result;
    ScopedHelpPlatform platform(handoffs.Platform());
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
  answerer.PressOnNextBox(IDNO);
  PromptUpdateCheck(kProductPageUrl);
  EXPECT_EQ(boxes.size(), 1u);
  EXPECT_EQ(Stored(), -2070415295);  // 2224552001 - 2^32
}

TEST_F(HelpTest, ClosingAgainWhileTheQuestionIsUpAsksOnce) {
  // The question has no owner, so the main window's close box still works under it.
  Store(0);
  ScopedHelpPlatform platform(handoffs.Platform());
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
