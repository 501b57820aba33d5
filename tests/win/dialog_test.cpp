// The main dialog as the user meets it: initial state, system menu, Esc and Enter,
// the output path's round trip through the registry.
#include <gtest/gtest.h>

#include "app/ConverterApp.h"
#include "app/Settings.h"
#include "mainwnd/ConverterDlg.h"
#include "support/WinTestSupport.h"

namespace {
class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override { PrepareApp(); }
};

bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)) != FALSE; }
bool Visible(HWND dlg, int id) { return IsWindowVisible(GetDlgItem(dlg, id)) != FALSE; }
}  // namespace

TEST_F(DialogTest, StartsWithOnlyOpenHelpHomepageAndAboutUsable) {
  CConverterDlg dlg;
  theApp.m_pMainWnd = &dlg;
  RunModal(dlg, [&](HWND h) {
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
  theApp.m_pMainWnd = nullptr;
}

TEST_F(DialogTest, SystemMenuEndsWithSeparatorAndAbout) {
  CConverterDlg dlg;
  theApp.m_pMainWnd = &dlg;
  RunModal(dlg, [&](HWND h) {
    HMENU menu = GetSystemMenu(h, FALSE);
    const int count = GetMenuItemCount(menu);
    ASSERT_GE(count, 2);
    EXPECT_EQ(GetMenuState(menu, static_cast<UINT>(count - 2), MF_BYPOSITION) & MF_SEPARATOR, MF_SEPARATOR);
    char text[64] = {};
    GetMenuStringA(menu, static_cast<UINT>(count - 1), text, sizeof(text), MF_BYPOSITION);
    EXPECT_STREQ(text, "&About Sonbrel");
    EXPECT_EQ(GetMenuItemID(menu, count - 1), static_cast<UINT>(IDM_ABOUTBOX));
  });
  theApp.m_pMainWnd = nullptr;
}
