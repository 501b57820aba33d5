// The main dialog as the user meets it: where it opens, initial state, system menu,
// Esc and Enter, the output path's round trip through the registry.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/ConverterApp.h"
#include "app/Settings.h"
#include <shlobj.h>

#include "mainwnd/ConverterDlg.h"
#include "support/WinTestSupport.h"

namespace {
class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override { PrepareApp(); }
};

bool Visible(HWND dlg, int id) { return IsWindowVisible(GetDlgItem(dlg, id)) != FALSE; }

RECT WindowRectOf(HWND hwnd) {
  RECT rc = {};
  GetWindowRect(hwnd, &rc);
  return rc;
}

// Centred within a pixel or two (an odd difference in size halves unevenly).
void ExpectCentredOn(const RECT& window, const RECT& around) {
  EXPECT_LE(std::abs((window.left + window.right) - (around.left + around.right)), 4);
  EXPECT_LE(std::abs((window.top + window.bottom) - (around.top + around.bottom)), 4);
}
}  // namespace

TEST_F(DialogTest, StartsCentredWithOnlyOpenHelpHomepageAndAboutUsable) {
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    ExpectCentredOn(WindowRectOf(h), work);
    for (int id : {IDC_OPEN, IDC_HELP_BUTTON, IDC_HOMEPAGE, IDC_ABOUT}) EXPECT_TRUE(Enabled(h, id)) << id;
    for (int id : {IDC_CONVERT, IDC_SLIDER, IDC_PLAY, IDC_PAUSE, IDC_STOP, IDC_START_TIME, IDC_END_TIME,
                   IDC_OUTPUT_FILE, IDC_BROWSE, IDC_START_CLOCK, IDC_END_CLOCK})
      EXPECT_FALSE(Enabled(h, id)) << id;
    EXPECT_FALSE(Visible(h, IDCANCEL));
    EXPECT_FALSE(Visible(h, IDC_CLOSE_MEDIA));
    EXPECT_EQ(ItemText(h, IDC_START_CLOCK), "00:00:00");
    EXPECT_EQ(ItemText(h, IDC_END_CLOCK), "00:00:00");
    EXPECT_EQ(dlg.m_strTitle, "");
    EXPECT_EQ(ItemText(h, IDC_CONVERT), "Convert");
    EXPECT_EQ(ItemText(h, IDC_OPEN), "Open MP3 File");
    EXPECT_EQ(ItemText(h, IDC_OUTPUT_LABEL), "Output File");

    HWND slider = GetDlgItem(h, IDC_SLIDER);
    EXPECT_EQ(SendMessageA(slider, TBM_GETRANGEMIN, 0, 0), 0);
    EXPECT_EQ(SendMessageA(slider, TBM_GETRANGEMAX, 0, 0), 600);
    EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 0);
    HWND progress = GetDlgItem(h, IDC_PROGRESS);
    PBRANGE range = {};
    SendMessageA(progress, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 1000);
    EXPECT_EQ(SendMessageA(progress, PBM_GETPOS, 0, 0), 0);
    EXPECT_EQ(dlg.m_bStopped, 1);

    char caption[64] = {};
    GetWindowTextA(h, caption, sizeof(caption));
    EXPECT_STREQ(caption, "Sonbrel");
    EXPECT_NE(SendMessageA(h, WM_GETICON, ICON_BIG, 0), 0);
  });
}

TEST_F(DialogTest, SystemMenuEndsWithSeparatorAndAbout) {
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    HMENU menu = GetSystemMenu(h, FALSE);
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(GetMenuState(menu, static_cast<UINT>(count - 2), MF_BYPOSITION) & MF_SEPARATOR, MF_SEPARATOR);
    char text[64] = {};
    GetMenuStringA(menu, static_cast<UINT>(count - 1), text, sizeof(text), MF_BYPOSITION);
    EXPECT_STREQ(text, "&About Sonbrel");
    EXPECT_EQ(GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
  });
}

namespace {
std::string StoredOutputPath() {
  return theApp.GetProfileString(settings::kOptionSection, settings::kOutputFileKey, "<absent>");
}

void PressKey(HWND target, WPARAM key) {
  PostMessageA(target, WM_KEYDOWN, key, 1);
  PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

// Runs each step from a timer of this thread once its condition holds, so that the keys
// and clicks it posts go through whichever modal loop runs then.
struct Step {
  std::function<bool()> ready;
  std::function<void()> act;
};
std::vector<Step> g_steps;
void CALLBACK RunReadyStep(HWND, UINT, UINT_PTR, DWORD) {
  if (g_steps.empty() || !g_steps.front().ready()) return;
  const Step step = g_steps.front();
  g_steps.erase(g_steps.begin());
  step.act();
}

// A left click as the mouse gives it: the button takes the focus, then reports the click.
void MouseClick(HWND button) {
  PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
}
}  // namespace

TEST_F(DialogTest, ClosingStoresTheMembersPathNotTypedText) {
  theApp.WriteProfileString(settings::kOptionSection, settings::kOutputFileKey, "Z:\\tmp\\stored.wav");
  CConverterDlg dlg;
  const INT_PTR result = RunAsMainWindow(dlg, [&](HWND h) {
    EXPECT_EQ(ItemText(h, IDC_OUTPUT_FILE), "Z:\\tmp\\stored.wav");  // a stored path wins over the default
    dlg.m_strOutputFile = "Z:\\tmp\\member.wav";
    SetDlgItemTextA(h, IDC_OUTPUT_FILE, "Z:\\tmp\\typed-but-never-converted.wav");
    SendMessageA(h, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(StoredOutputPath(), "Z:\\tmp\\member.wav");
}

TEST_F(DialogTest, FirstRunShowsTheMusicFolderDefaultAndStoresItAtClose) {
  CConverterDlg dlg;
  std::string shown;
  RunAsMainWindow(dlg, [&](HWND h) { shown = ItemText(h, IDC_OUTPUT_FILE); });
  char music[MAX_PATH] = {};
  ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_MYMUSIC, nullptr, SHGFP_TYPE_CURRENT, music), S_OK);
  EXPECT_EQ(shown, std::string(music) + "\\output.wav");
  EXPECT_EQ(StoredOutputPath(), shown);
}

TEST_F(DialogTest, EscEndsTheDialogWithoutTheShutdownSteps) {
  CConverterDlg dlg;
  const INT_PTR result = RunAsMainWindow(
      dlg, [&](HWND h) { PressKey(GetFocus() ? GetFocus() : h, VK_ESCAPE); }, false);
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(StoredOutputPath(), "<absent>");
}

TEST_F(DialogTest, EnterInTheOutputBoxEndsTheDialogThroughOk) {
  CConverterDlg dlg;
  const INT_PTR result = RunAsMainWindow(
      dlg,
      [&](HWND h) {
        dlg.EnableMediaControls(TRUE);
        HWND edit = GetDlgItem(h, IDC_OUTPUT_FILE);
        SetFocus(edit);
        SetWindowTextA(edit, "Z:\\tmp\\typed.wav");
        PressKey(edit, VK_RETURN);
      },
      false);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(dlg.m_strOutputFile, "Z:\\tmp\\typed.wav");  // OK moved the texts into the members
  EXPECT_EQ(StoredOutputPath(), "<absent>");
}

// Enter presses the push button that has the focus: the one the dialog starts with, and
// About after a mouse click on it and its box's closing.
TEST_F(DialogTest, EnterPressesTheFocusedButtonHoweverItGotTheFocus) {
  CConverterDlg dlg;
  ModalAnswerer answerer;
  answerer.ChooseInNextFileDialog("");  // Cancel
  answerer.PressInNextDialog("About Sonbrel", IDOK);
  answerer.PressInNextDialog("About Sonbrel", IDOK);
  int focusedAtStart = 0;
  auto backAfter = [&](size_t boxes) {  // that many boxes answered, the focus back in the window
    return [&, boxes] { return answerer.seen.size() == boxes && IsChild(dlg.m_hWnd, GetFocus()); };
  };
  g_steps = {
      {[&] { return dlg.m_hWnd && IsWindowVisible(dlg.m_hWnd); },
       [&] {
         focusedAtStart = GetDlgCtrlID(GetFocus());
         PressKey(GetFocus(), VK_RETURN);
       }},
      {backAfter(1), [&] { MouseClick(GetDlgItem(dlg.m_hWnd, IDC_ABOUT)); }},
      {backAfter(2), [&] { PressKey(GetFocus(), VK_RETURN); }},
      {backAfter(3), [&] { PressKey(GetFocus(), VK_ESCAPE); }},
  };
  const UINT_PTR timer = SetTimer(nullptr, 0, 30, &RunReadyStep);
  const INT_PTR result = RunAsMainWindow(dlg, [](HWND) {}, false);
  KillTimer(nullptr, timer);
  g_steps.clear();
  EXPECT_EQ(focusedAtStart, IDC_OPEN);
  ASSERT_EQ(answerer.seen.size(), 3u) << "Enter pressed no button";
  EXPECT_EQ(answerer.seen[2].caption, "About Sonbrel");
  EXPECT_EQ(result, IDCANCEL) << "Enter ended the dialog instead";
}

TEST_F(DialogTest, AStoredPathTooLongToHoldIsIgnored) {
  theApp.WriteProfileString(settings::kOptionSection, settings::kOutputFileKey,
                            ("Z:\\" + std::string(300, 'a') + ".wav").c_str());
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    const std::string shown = ItemText(h, IDC_OUTPUT_FILE);
    EXPECT_LE(shown.size(), 259u);
    EXPECT_NE(shown.find("output.wav"), std::string::npos);
  });
}

TEST_F(DialogTest, OldSystemsUseTheStoredPathOrTheFixedFallbackWithoutAsking) {
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND) {
    dlg.m_osvi.dwMajorVersion = 5;
    ModalAnswerer answerer;
    // A box would be answered and seen, not left to hang the test.
    answerer.PressOnNextBox(IDOK);
    answerer.PressOnNextBox(IDOK);
    EXPECT_EQ(dlg.GetDefaultOutputPath("Option", "unused_key", "c:\\output.wav", CSIDL_MYMUSIC), "c:\\output.wav");
    theApp.WriteProfileString("Option", "unused_key", "Z:\\kept.wav");
    EXPECT_EQ(dlg.GetDefaultOutputPath("Option", "unused_key", "c:\\output.wav", CSIDL_MYMUSIC), "Z:\\kept.wav");
    PumpPending();
    EXPECT_TRUE(answerer.seen.empty());
  });
}

TEST_F(DialogTest, AboutButtonAndEverySystemMenuAboutCommandShowTheSameBox) {
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    ModalAnswerer answerer;
    answerer.PressInNextDialog("About Sonbrel", IDOK);
    Click(h, IDC_ABOUT);
    answerer.PressInNextDialog("About Sonbrel", IDCANCEL);
    SendMessageA(h, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    answerer.PressInNextDialog("About Sonbrel", IDOK);
    SendMessageA(h, WM_SYSCOMMAND, IDM_ABOUTBOX | 0xF, 0);
    ASSERT_EQ(answerer.seen.size(), 3u);
    for (const auto& box : answerer.seen) {
      EXPECT_TRUE(box.ownedByMainWindow);
      ExpectCentredOn(box.rect, WindowRectOf(h));
      EXPECT_NE(box.text.find("Sonbrel Version 1.2"), std::string::npos);
      EXPECT_NE(box.text.find("Website: https://www.travenor.example"), std::string::npos);
      EXPECT_NE(box.text.find("Support: https://www.travenor.example/contact.htm"), std::string::npos);
    }
    EXPECT_TRUE(IsWindowEnabled(h));  // back to the main window, unchanged
    // Other system commands keep their default handling.
    SendMessageA(h, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(h));
    SendMessageA(h, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(h));
  });
}
