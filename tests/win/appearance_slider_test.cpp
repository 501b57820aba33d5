// The position slider in the real dialog, driven by mouse and key messages: it raises the
// application's dragging flag while the left button is held on it, lowers it at the
// button-up or when it loses the mouse capture, and never raises it for the keyboard.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/ConverterApp.h"
#include "app/PrivateMessages.h"
#include "mainwnd/ConverterDlg.h"
#include "support/WinTestSupport.h"

namespace {
// What the flag was when the slider told the dialog something (scrolling or release).
struct Told {
  UINT what;  // WM_HSCROLL, or NM_RELEASEDCAPTURE
  int flag;
};
std::vector<Told> g_told;
HWND g_dialog = nullptr;

LRESULT CALLBACK WatchDialog(int code, WPARAM wp, LPARAM lp) {
  const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lp);
  if (code == HC_ACTION && sent->hwnd == g_dialog) {
    if (sent->message == WM_HSCROLL) g_told.push_back({WM_HSCROLL, theApp.m_bSliderDragging});
    if (sent->message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(sent->lParam)->code == NM_RELEASEDCAPTURE)
      g_told.push_back({NM_RELEASEDCAPTURE, theApp.m_bSliderDragging});
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

class SliderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PrepareApp();
    theApp.m_bSliderDragging = 0;
    g_told.clear();
  }

  // The real dialog with the slider usable (as it is while media is open).
  static void Run(const std::function<void(CConverterDlg&, HWND dialog, HWND slider)>& script) {
    CConverterDlg dlg;
    RunAsMainWindow(dlg, [&](HWND h) {
      HWND slider = GetDlgItem(h, IDC_SLIDER);
      EnableWindow(slider, TRUE);
      g_dialog = h;
      HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, &WatchDialog, nullptr, GetCurrentThreadId());
      script(dlg, h, slider);
      UnhookWindowsHookEx(hook);
      g_dialog = nullptr;
      if (GetCapture()) ReleaseCapture();
    });
    theApp.m_bSliderDragging = 0;
  }
};

POINT ThumbCentre(HWND slider) {
  RECT thumb = {};
  SendMessageA(slider, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
  return {(thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2};
}

LONG ChannelCentreY(HWND slider) {
  RECT channel = {};
  SendMessageA(slider, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  return (channel.top + channel.bottom) / 2;
}

POINT ChannelPoint(HWND slider, double fraction) {
  RECT channel = {};
  SendMessageA(slider, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  return {channel.left + static_cast<LONG>((channel.right - channel.left) * fraction), ChannelCentreY(slider)};
}

void Mouse(HWND slider, UINT msg, POINT at, WPARAM keys) {
  PostMessageA(slider, msg, keys, MAKELPARAM(at.x, at.y));
  PumpPending();
}

int Pos(HWND slider) { return static_cast<int>(SendMessageA(slider, TBM_GETPOS, 0, 0)); }

bool ToldWith(UINT what, int flag) {
  for (const Told& t : g_told)
    if (t.what == what && t.flag == flag) return true;
  return false;
}
}  // namespace

TEST_F(SliderTest, HoldingTheThumbRaisesTheFlagUntilTheButtonComesUp) {
  Run([](CConverterDlg&, HWND, HWND slider) {
    const POINT thumb = ThumbCentre(slider);
    Mouse(slider, WM_LBUTTONDOWN, thumb, MK_LBUTTON);
    EXPECT_EQ(theApp.m_bSliderDragging, 1);
    EXPECT_EQ(GetCapture(), slider);

    // Dragging moves the thumb while the flag stays up.
    Mouse(slider, WM_MOUSEMOVE, ChannelPoint(slider, 0.5), MK_LBUTTON);
    EXPECT_EQ(theApp.m_bSliderDragging, 1);
    EXPECT_GT(Pos(slider), 150);
    EXPECT_LT(Pos(slider), 450);

    Mouse(slider, WM_LBUTTONUP, ChannelPoint(slider, 0.5), 0);
    EXPECT_EQ(theApp.m_bSliderDragging, 0);
    EXPECT_NE(GetCapture(), slider);
    // The release reaches the dialog with the flag already down, so the seek is shown.
    EXPECT_TRUE(ToldWith(NM_RELEASEDCAPTURE, 0));
    EXPECT_FALSE(ToldWith(NM_RELEASEDCAPTURE, 1));
  });
}

TEST_F(SliderTest, ChannelClickRaisesTheFlagAndAReleaseOutsideLowersIt) {
  Run([](CConverterDlg&, HWND, HWND slider) {
    const int before = Pos(slider);
    Mouse(slider, WM_LBUTTONDOWN, ChannelPoint(slider, 0.9), MK_LBUTTON);
    EXPECT_EQ(theApp.m_bSliderDragging, 1);
    EXPECT_GT(Pos(slider), before) << "a click on the channel pages towards it";
    // The page was reported with the flag already up.
    EXPECT_TRUE(ToldWith(WM_HSCROLL, 1));
    EXPECT_FALSE(ToldWith(WM_HSCROLL, 0));
    PumpFor(300);
    EXPECT_EQ(theApp.m_bSliderDragging, 1) << "the flag stays up while the button is held";

    // The capture brings the button-up from outside the slider's rectangle.
    Mouse(slider, WM_LBUTTONUP, POINT{-40, -30}, 0);
    EXPECT_EQ(theApp.m_bSliderDragging, 0);
  });
}

TEST_F(SliderTest, LosingTheCaptureWithoutAButtonUpLowersTheFlag) {
  Run([](CConverterDlg&, HWND dialog, HWND slider) {
    Mouse(slider, WM_LBUTTONDOWN, ThumbCentre(slider), MK_LBUTTON);
    ASSERT_EQ(theApp.m_bSliderDragging, 1);
    ASSERT_EQ(GetCapture(), slider);

    SetCapture(GetDlgItem(dialog, IDC_OPEN));  // another window takes the mouse
    PumpPending();
    EXPECT_EQ(theApp.m_bSliderDragging, 0);
    ReleaseCapture();

    // And a second drag works as the first.
    Mouse(slider, WM_LBUTTONDOWN, ThumbCentre(slider), MK_LBUTTON);
    EXPECT_EQ(theApp.m_bSliderDragging, 1);
    Mouse(slider, WM_LBUTTONUP, ThumbCentre(slider), 0);
    EXPECT_EQ(theApp.m_bSliderDragging, 0);
  });
}

TEST_F(SliderTest, KeyboardNeverRaisesTheFlag) {
  Run([](CConverterDlg&, HWND, HWND slider) {
    SetFocus(slider);
    int moves = 0;
    for (WPARAM key : {VK_RIGHT, VK_NEXT, VK_NEXT, VK_LEFT, VK_PRIOR, VK_END, VK_HOME, VK_DOWN, VK_UP}) {
      const int before = Pos(slider);
      PostMessageA(slider, WM_KEYDOWN, key, 1);
      PumpPending();
      EXPECT_EQ(theApp.m_bSliderDragging, 0) << key;
      PostMessageA(slider, WM_KEYUP, key, 0xC0000001);
      PumpPending();
      EXPECT_EQ(theApp.m_bSliderDragging, 0) << key;
      if (Pos(slider) != before) ++moves;
    }
    EXPECT_GE(moves, 5) << "the keys should have moved the thumb";
    EXPECT_FALSE(ToldWith(WM_HSCROLL, 1));
    EXPECT_TRUE(ToldWith(WM_HSCROLL, 0));
  });
}

TEST_F(SliderTest, PositionUpdatesLeaveTheTitleAloneWhileTheThumbIsHeld) {
  Run([](CConverterDlg& dlg, HWND dialog, HWND slider) {
    // Without a player, a position update empties the title line.
    SetDlgItemTextA(dialog, IDC_TITLE, "probe");
    SendMessageA(dialog, WM_POSITIONNOTIFY, 0, 0);
    ASSERT_EQ(ItemText(dialog, IDC_TITLE), "");

    SetDlgItemTextA(dialog, IDC_TITLE, "held.mp3   00:00:07 / 00:00:09");
    Mouse(slider, WM_LBUTTONDOWN, ThumbCentre(slider), MK_LBUTTON);
    ASSERT_EQ(theApp.m_bSliderDragging, 1);
    PostMessageA(dialog, WM_POSITIONNOTIFY, 0, 0);
    PumpPending();
    EXPECT_EQ(ItemText(dialog, IDC_TITLE), "held.mp3   00:00:07 / 00:00:09");
    EXPECT_STREQ(dlg.m_lblTitle.m_szText, "held.mp3   00:00:07 / 00:00:09");

    Mouse(slider, WM_LBUTTONUP, ThumbCentre(slider), 0);
    PostMessageA(dialog, WM_POSITIONNOTIFY, 0, 0);
    PumpPending();
    EXPECT_EQ(ItemText(dialog, IDC_TITLE), "") << "after the release the updates run again";
  });
}
