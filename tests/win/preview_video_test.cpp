// The preview of a file with a picture: its window's place and size, the title while
// paused, the right-click menu, full screen in and out, the click stacking, the cursor,
// and the ways the window ends the player.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "app/ConverterApp.h"
#include "preview/PreviewGeometry.h"
#include "win/PreviewTestHelpers.h"

namespace {
constexpr long kVideoWidth = 160;  // preview-video.avi
constexpr long kVideoHeight = 120;

class PreviewVideoTest : public ::testing::Test {
 protected:
  void SetUp() override { PrepareApp(); }
  void TearDown() override { EXPECT_EQ(g_pPlayer, nullptr) << "the main window left a player behind"; }
};

RECT WindowRect(HWND hwnd) {
  RECT rc = {};
  GetWindowRect(hwnd, &rc);
  return rc;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool Topmost(HWND hwnd) { return (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// The context menu as the user sees it after a right click on the video.
struct MenuSeen {
  bool shown = false;
  UINT fullScreen = 0, normalSize = 0, play = 0, pause = 0, stop = 0, close = 0;
};
MenuSeen* g_menuSeen = nullptr;

BOOL CALLBACK FindPopupMenu(HWND hwnd, LPARAM lp) {
  char cls[32] = {};
  GetClassNameA(hwnd, cls, sizeof(cls));
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != GetCurrentProcessId() || std::string(cls) != "#32768" || !IsWindowVisible(hwnd)) return TRUE;
  *reinterpret_cast<HWND*>(lp) = hwnd;
  return FALSE;
}

void CALLBACK ReadOpenMenu(HWND, UINT, UINT_PTR id, DWORD) {
  HWND menuWindow = nullptr;
  EnumWindows(&FindPopupMenu, reinterpret_cast<LPARAM>(&menuWindow));
  if (!menuWindow || !g_menuSeen) return;
  KillTimer(nullptr, id);
  HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
  MenuSeen& seen = *g_menuSeen;
  seen.fullScreen = GetMenuState(menu, ID_PREVIEW_FULLSCREEN, MF_BYCOMMAND);
  seen.normalSize = GetMenuState(menu, ID_PREVIEW_NORMALSIZE, MF_BYCOMMAND);
  seen.play = GetMenuState(menu, ID_PREVIEW_PLAY, MF_BYCOMMAND);
  seen.pause = GetMenuState(menu, ID_PREVIEW_PAUSE, MF_BYCOMMAND);
  seen.stop = GetMenuState(menu, ID_PREVIEW_STOP, MF_BYCOMMAND);
  seen.close = GetMenuState(menu, ID_PREVIEW_CLOSE, MF_BYCOMMAND);
  seen.shown = true;
  EndMenu();
}

MenuSeen RightClick(HWND preview) {
  MenuSeen seen;
  g_menuSeen = &seen;
  SetTimer(nullptr, 0, 50, &ReadOpenMenu);
  PostMessageA(preview, WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
  PumpUntil([&] { return seen.shown; }, 5000);
  PumpPending();
  g_menuSeen = nullptr;
  return seen;
}

bool Greyed(UINT state) { return (state & MF_GRAYED) != 0; }
bool Checked(UINT state) { return (state & MF_CHECKED) != 0; }

// The window at the video's size: the video, a sizing frame on every side and the caption.
SIZE ExpectedNormalSize() {
  return {kVideoWidth + 2 * GetSystemMetrics(SM_CXFRAME),
          kVideoHeight + 2 * GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION)};
}

// Read before any test runs: the value the process starts with (constant-initialised).
const int g_raiseAtStart = g_bRaisePreviewNext;

void EnterFullScreenFromMenu(HWND preview) { SendMessageA(preview, WM_COMMAND, ID_PREVIEW_FULLSCREEN, 0); }
}  // namespace

TEST_F(PreviewVideoTest, OpensShownAtTheWorkAreaCornerSizedToTheVideo) {
  EXPECT_EQ(g_raiseAtStart, 1) << "a new process starts by raising the preview";
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    ASSERT_TRUE(OpenInPreview(dlg, TestMedia("preview-video.avi")));
    ASSERT_NE(g_pPlayer, nullptr);
    HWND preview = g_pPlayer->m_hWnd;
    EXPECT_EQ(g_pPlayer->m_bNoVideo, 0);
    EXPECT_EQ(g_pPlayer->m_bVideoShown, 1);
    EXPECT_EQ(g_pPlayer->m_nState, StateStopped);
    EXPECT_TRUE(IsWindowVisible(preview));
    EXPECT_TRUE(IsWindowVisible(h));
    EXPECT_EQ(WindowTitle(preview), "preview-video.avi  ");

    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const RECT rc = WindowRect(preview);
    EXPECT_EQ(rc.left, work.left + 100);
    EXPECT_EQ(rc.top, work.top + 5);
    const SIZE size = ExpectedNormalSize();
    EXPECT_EQ(rc.right - rc.left, size.cx);
    EXPECT_EQ(rc.bottom - rc.top, size.cy);
    // In the strip above the main window, which it leaves uncovered.
    const RECT main = WindowRect(h);
    RECT overlap = {};
    EXPECT_FALSE(IntersectRect(&overlap, &rc, &main)) << "the preview window covers the main window";
    char cls[32] = {};
    GetClassNameA(preview, cls, sizeof(cls));
    EXPECT_STREQ(cls, "PreviewWindow");
    const LONG style = GetWindowLongA(preview, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_EQ(GetWindow(preview, GW_OWNER), nullptr);

    // The video window is a child that fills the client area.
    HWND video = GetWindow(preview, GW_CHILD);
    ASSERT_NE(video, nullptr);
    RECT client = {};
    GetClientRect(preview, &client);
    RECT videoRect = WindowRect(video);
    MapWindowPoints(nullptr, preview, reinterpret_cast<POINT*>(&videoRect), 2);
    EXPECT_TRUE(SameRect(videoRect, client));

    // "(Paused)" exactly while paused.
    EXPECT_EQ(WindowTitle(preview), "preview-video.avi  ");
    Click(h, IDC_PLAY);
    EXPECT_EQ(WindowTitle(preview), "preview-video.avi  ");
    Click(h, IDC_PAUSE);
    EXPECT_EQ(WindowTitle(preview), "preview-video.avi  (Paused)");
    Click(h, IDC_PLAY);
    EXPECT_EQ(WindowTitle(preview), "preview-video.avi  ");
    Click(h, IDC_PAUSE);
    Click(h, IDC_STOP);
    EXPECT_EQ(WindowTitle(preview), "preview-video.avi  ");

    // Escape in a window does nothing.
    SendMessageA(preview, WM_KEYUP, VK_ESCAPE, 0);
    EXPECT_TRUE(SameRect(WindowRect(preview), rc));
    EXPECT_EQ(g_pPlayer->m_bFullScreen, 0);
  });
}

TEST_F(PreviewVideoTest, ContextMenuGreysByStateAndChecksFullScreen) {
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    ASSERT_TRUE(OpenInPreview(dlg, TestMedia("preview-video.avi")));
    HWND preview = g_pPlayer->m_hWnd;

    MenuSeen stopped = RightClick(preview);
    ASSERT_TRUE(stopped.shown);
    EXPECT_FALSE(Greyed(stopped.play));
    EXPECT_TRUE(Greyed(stopped.pause));
    EXPECT_TRUE(Greyed(stopped.stop));
    EXPECT_FALSE(Greyed(stopped.fullScreen));
    EXPECT_FALSE(Greyed(stopped.normalSize));
    EXPECT_FALSE(Greyed(stopped.close));
    EXPECT_FALSE(Checked(stopped.fullScreen));

    Click(h, IDC_PLAY);
    MenuSeen playing = RightClick(preview);
    ASSERT_TRUE(playing.shown);
    EXPECT_TRUE(Greyed(playing.play));
    EXPECT_FALSE(Greyed(playing.pause));
    EXPECT_FALSE(Greyed(playing.stop));

    Click(h, IDC_PAUSE);
    MenuSeen paused = RightClick(preview);
    ASSERT_TRUE(paused.shown);
    EXPECT_FALSE(Greyed(paused.play));
    EXPECT_TRUE(Greyed(paused.pause));
    EXPECT_FALSE(Greyed(paused.stop));

    // The menu's commands reach the player.
    SendMessageA(preview, WM_COMMAND, ID_PREVIEW_PLAY, 0);
    EXPECT_EQ(g_pPlayer->m_nState, StatePlaying);
    SendMessageA(preview, WM_COMMAND, ID_PREVIEW_PAUSE, 0);
    EXPECT_EQ(g_pPlayer->m_nState, StatePaused);
    SendMessageA(preview, WM_COMMAND, ID_PREVIEW_STOP, 0);
    EXPECT_EQ(g_pPlayer->m_nState, StateStopped);

    EnterFullScreenFromMenu(preview);
    ASSERT_EQ(g_pPlayer->m_bFullScreen, 1);
    MenuSeen full = RightClick(preview);
    ASSERT_TRUE(full.shown);
    EXPECT_TRUE(Checked(full.fullScreen));
    EnterFullScreenFromMenu(preview);  // choosing it again leaves full screen
    EXPECT_EQ(g_pPlayer->m_bFullScreen, 0);
  });
}

TEST_F(PreviewVideoTest, FullScreenFitsTheVideoAndEscapeRestoresTheWindow) {
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    ASSERT_TRUE(OpenInPreview(dlg, TestMedia("preview-video.avi")));
    HWND preview = g_pPlayer->m_hWnd;
    Click(h, IDC_PLAY);
    const RECT windowed = WindowRect(preview);
    const LONG windowedStyle = GetWindowLongA(preview, GWL_STYLE);

    EnterFullScreenFromMenu(preview);
    ASSERT_EQ(g_pPlayer->m_bFullScreen, 1);
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    const int cy = GetSystemMetrics(SM_CYSCREEN);
    const RECT full = WindowRect(preview);
    EXPECT_EQ(full.left, 0);
    EXPECT_EQ(full.top, 0);
    EXPECT_EQ(full.right, cx);
    EXPECT_EQ(full.bottom, cy);
    const LONG fullStyle = GetWindowLongA(preview, GWL_STYLE);
    EXPECT_EQ(fullStyle & (WS_POPUP | WS_CAPTION), WS_POPUP);
    EXPECT_TRUE(IsWindowVisible(preview));
    // On the test display (1280 x 1024), ten times 160 x 120 is too large: it fills the
    // width, 1280 x 960, 32 pixels from the top.
    ASSERT_EQ(cx, 1280) << "the tests' display";
    ASSERT_EQ(cy, 1024) << "the tests' display";
    long left = -1, top = -1, width = -1, height = -1;
    ASSERT_HRESULT_SUCCEEDED(g_pPlayer->pVW->GetWindowPosition(&left, &top, &width, &height));
    EXPECT_EQ(left, 0);
    EXPECT_EQ(top, 32);
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 960);

    // Left clicks in full screen hide the main window, then show it above the video; a
    // right-click menu makes the next click hide it again.
    SendMessageA(preview, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_FALSE(IsWindowVisible(h));
    SendMessageA(preview, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_TRUE(IsWindowVisible(h));
    EXPECT_TRUE(Topmost(h));
    ASSERT_TRUE(RightClick(preview).shown);
    SendMessageA(preview, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_FALSE(IsWindowVisible(h));

    // The cursor hides on a tick more than 100 s after the last mouse activity, and a
    // mouse move shows it again.
    g_pPlayer->m_dwLastInput = timeGetTime() - 90000;
    SendMessageA(preview, WM_TIMER, TIMER_CURSOR, 0);
    EXPECT_GE(g_pPlayer->m_nCursorCount, 0);
    g_pPlayer->m_dwLastInput = timeGetTime() - 100500;
    SendMessageA(preview, WM_TIMER, TIMER_CURSOR, 0);
    EXPECT_LT(g_pPlayer->m_nCursorCount, 0);
    SendMessageA(preview, WM_MOUSEMOVE, 0, MAKELPARAM(30, 30));
    EXPECT_GE(g_pPlayer->m_nCursorCount, 0);
    EXPECT_LT(timeGetTime() - g_pPlayer->m_dwLastInput, 5000u);

    // Escape puts the window back where it was and shows the main window.
    g_pPlayer->m_dwLastInput = timeGetTime() - 100500;
    SendMessageA(preview, WM_TIMER, TIMER_CURSOR, 0);
    SendMessageA(preview, WM_KEYUP, VK_ESCAPE, 0);
    EXPECT_EQ(g_pPlayer->m_bFullScreen, 0);
    EXPECT_GE(g_pPlayer->m_nCursorCount, 0) << "leaving full screen shows the cursor";
    EXPECT_TRUE(SameRect(WindowRect(preview), windowed));
    EXPECT_EQ(GetWindowLongA(preview, GWL_STYLE), windowedStyle);
    EXPECT_TRUE(IsWindowVisible(preview));
    EXPECT_FALSE(Topmost(preview));
    EXPECT_TRUE(IsWindowVisible(h));
    EXPECT_FALSE(KillTimer(preview, TIMER_CURSOR)) << "the cursor timer ended with full screen";

    // Normal size in full screen leaves it first, then sizes the window to the video.
    EnterFullScreenFromMenu(preview);
    ASSERT_EQ(g_pPlayer->m_bFullScreen, 1);
    SendMessageA(preview, WM_COMMAND, ID_PREVIEW_NORMALSIZE, 0);
    EXPECT_EQ(g_pPlayer->m_bFullScreen, 0);
    const RECT normal = WindowRect(preview);
    EXPECT_EQ(normal.left, windowed.left);
    EXPECT_EQ(normal.top, windowed.top);
    EXPECT_EQ(normal.right - normal.left, ExpectedNormalSize().cx);
    EXPECT_EQ(normal.bottom - normal.top, ExpectedNormalSize().cy);
  });
}

TEST_F(PreviewVideoTest, WindowedClicksAlternateAndCarryOverToTheNextPlayer) {
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    ASSERT_TRUE(OpenInPreview(dlg, TestMedia("preview-video.avi")));
    HWND preview = g_pPlayer->m_hWnd;
    const int first = g_bRaisePreviewNext;
    SendMessageA(preview, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(g_bRaisePreviewNext, !first);
    if (first == 1) {
      EXPECT_FALSE(Topmost(h));
    } else {
      EXPECT_TRUE(Topmost(h));
    }
    SendMessageA(preview, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(g_bRaisePreviewNext, first);
    if (first == 1) {
      EXPECT_TRUE(Topmost(h)) << "the second click keeps the main window on top";
    }
    EXPECT_TRUE(IsWindowVisible(h));
    EXPECT_TRUE(IsWindowVisible(preview));

    SendMessageA(preview, WM_LBUTTONUP, 0, 0);
    const int carried = g_bRaisePreviewNext;
    ASSERT_TRUE(OpenInPreview(dlg, TestMedia("preview-video.avi")));
    EXPECT_EQ(g_bRaisePreviewNext, carried);
    SendMessageA(g_pPlayer->m_hWnd, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(g_bRaisePreviewNext, !carried);
    SetWindowPos(h, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  });
}

TEST_F(PreviewVideoTest, CloseBoxAndMenuCloseEndThePlayerThroughTheMainWindow) {
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    for (const bool fromMenu : {false, true}) {
      ASSERT_TRUE(OpenInPreview(dlg, TestMedia("preview-video.avi")));
      dlg.m_rtStart = 2 * kSecond;
      SetDlgItemTextA(h, IDC_START_CLOCK, "00:00:02");
      Click(h, IDC_PLAY);
      HWND preview = g_pPlayer->m_hWnd;
      if (fromMenu)
        SendMessageA(preview, WM_COMMAND, ID_PREVIEW_CLOSE, 0);
      else
        SendMessageA(preview, WM_SYSCOMMAND, SC_CLOSE, 0);
      EXPECT_NE(g_pPlayer, nullptr) << "the player outlives its window's own message";
      ASSERT_TRUE(PumpUntil([] { return g_pPlayer == nullptr; }, 3000)) << (fromMenu ? "menu" : "close box");
      EXPECT_FALSE(IsWindow(preview));
      EXPECT_STREQ(dlg.m_szMediaPath, "");
      EXPECT_EQ(dlg.m_rtStart, 0);
      EXPECT_EQ(ItemText(h, IDC_START_CLOCK), "00:00:00");
      EXPECT_EQ(ItemText(h, IDC_TITLE), "");
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, IDC_PLAY)));
      EXPECT_EQ(CountPreviewWindows(), 0);
    }
  });
}

TEST_F(PreviewVideoTest, SoundFileHasNoFullScreenAndAFailedEnterPutsTheWindowBack) {
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND) {
    ASSERT_TRUE(OpenInPreview(dlg, TestMedia("preview-tone.mp3")));
    HWND preview = g_pPlayer->m_hWnd;
    const RECT before = WindowRect(preview);
    const LONG style = GetWindowLongA(preview, GWL_STYLE);
    SendMessageA(preview, WM_COMMAND, ID_PREVIEW_FULLSCREEN, 0);
    EXPECT_EQ(g_pPlayer->m_bFullScreen, 0);
    EXPECT_FALSE(IsWindowVisible(preview));

    // Without a video size the window must not stay a full-screen popup.
    EXPECT_FALSE(g_pPlayer->EnterFullScreen());
    EXPECT_EQ(g_pPlayer->m_bFullScreen, 0);
    EXPECT_FALSE(IsWindowVisible(preview));
    EXPECT_EQ(GetWindowLongA(preview, GWL_STYLE), style);
    EXPECT_TRUE(SameRect(WindowRect(preview), before));
    EXPECT_FALSE(KillTimer(preview, TIMER_CURSOR)) << "no cursor timer without full screen";
  });
}

namespace {
struct CloseDuringMenu {
  HWND main = nullptr;
  bool done = false;
  int playersDuringMenu = -1;
  bool playerPointerCleared = false;
};
CloseDuringMenu* g_closeDuringMenu = nullptr;

// Inside the menu's message loop: the main window's Close command arrives, as a posted
// close of the preview window would, and the menu ends.
void CALLBACK CloseMediaInsideMenu(HWND, UINT, UINT_PTR id, DWORD) {
  HWND menuWindow = nullptr;
  EnumWindows(&FindPopupMenu, reinterpret_cast<LPARAM>(&menuWindow));
  if (!menuWindow || !g_closeDuringMenu) return;
  KillTimer(nullptr, id);
  SendMessageA(g_closeDuringMenu->main, WM_COMMAND, IDC_CLOSE_MEDIA, 0);
  g_closeDuringMenu->playerPointerCleared = g_pPlayer == nullptr;
  g_closeDuringMenu->playersDuringMenu = CPreviewPlayer::LiveCount();
  g_closeDuringMenu->done = true;
  EndMenu();
}
}  // namespace

TEST_F(PreviewVideoTest, MediaClosedWhileTheMenuIsOpenOutlivesTheWindowProcedure) {
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    ASSERT_TRUE(OpenInPreview(dlg, TestMedia("preview-video.avi")));
    ASSERT_EQ(CPreviewPlayer::LiveCount(), 1);
    HWND preview = g_pPlayer->m_hWnd;
    CloseDuringMenu state;
    state.main = h;
    g_closeDuringMenu = &state;
    SetTimer(nullptr, 0, 50, &CloseMediaInsideMenu);
    // Sent, so that the right-click handler (and the menu loop inside it) runs right here.
    SendMessageA(preview, WM_RBUTTONUP, 0, MAKELPARAM(20, 20));
    g_closeDuringMenu = nullptr;
    ASSERT_TRUE(state.done);
    EXPECT_TRUE(state.playerPointerCleared);
    EXPECT_EQ(state.playersDuringMenu, 1) << "deleted under its own window procedure";
    EXPECT_EQ(CPreviewPlayer::LiveCount(), 0) << "deleted once the window procedure returned";
    EXPECT_FALSE(IsWindow(preview));
    EXPECT_STREQ(dlg.m_szMediaPath, "");
  });
}

namespace {
HWND g_mainForClose = nullptr;
WNDPROC g_previewProc = nullptr;
int g_mainVisibleAtPreviewDestroy = -1;

LRESULT CALLBACK WatchPreviewDestroy(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) g_mainVisibleAtPreviewDestroy = IsWindowVisible(g_mainForClose) ? 1 : 0;
  return CallWindowProcA(g_previewProc, hwnd, msg, wp, lp);
}
}  // namespace

TEST_F(PreviewVideoTest, ClosingTheMainWindowInFullScreenShowsItBeforeThePreviewGoes) {
  CConverterDlg dlg;
  ModalAnswerer answerer;
  answerer.PressOnNextBox(IDNO);  // an update question at close, should one be due
  RunAsMainWindow(dlg, [&](HWND h) {
    ASSERT_TRUE(OpenInPreview(dlg, TestMedia("preview-video.avi")));
    HWND preview = g_pPlayer->m_hWnd;
    Click(h, IDC_PLAY);
    EnterFullScreenFromMenu(preview);
    ASSERT_EQ(g_pPlayer->m_bFullScreen, 1);
    SendMessageA(preview, WM_LBUTTONUP, 0, 0);
    ASSERT_FALSE(IsWindowVisible(h)) << "the click hid the main window";
    g_mainForClose = h;
    g_previewProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(preview, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchPreviewDestroy)));
    PostMessageA(h, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(g_mainVisibleAtPreviewDestroy, 1);
  EXPECT_EQ(g_pPlayer, nullptr);
  EXPECT_EQ(CountPreviewWindows(), 0);
  EXPECT_EQ(dlg.m_hWnd, nullptr);
}

// For scripts/screenshots.sh: poses the program for each screenshot and waits for the
// script to take it. Runs only when SONBREL_SCREENSHOT_DIR names the exchange folder;
// SONBREL_SCREENSHOT_POSES, when set, names the poses wanted (all by default).
TEST_F(PreviewVideoTest, ScreenshotPoses) {
  const char* dir = std::getenv("SONBREL_SCREENSHOT_DIR");
  if (!dir) GTEST_SKIP() << "only for scripts/screenshots.sh";
  const char* poses = std::getenv("SONBREL_SCREENSHOT_POSES");
  const auto wanted = [poses](const char* name) { return !poses || std::strstr(poses, name) != nullptr; };
  const std::string folder = WindowsPath(dir) + "\\";
  const auto pose = [&](const char* name) {
    std::ofstream(folder + name + ".ready") << "ready\n";
    ASSERT_TRUE(PumpUntil(
        [&] { return GetFileAttributesA((folder + name + ".done").c_str()) != INVALID_FILE_ATTRIBUTES; }, 60000))
        << "no screenshot of " << name;
  };
  // Playback has gone on until the polled position reached this.
  const auto playedTo = [](ReferenceTime position) {
    return PumpUntil([&] { return g_pPlayer && g_pPlayer->m_rtPosition >= position; });
  };
  CConverterDlg dlg;
  dlg.m_timing.positionPollMs = kTestPollMs;
  RunAsMainWindow(dlg, [&](HWND h) {
    if (wanted("main-playing")) {
      ASSERT_TRUE(OpenInPreview(dlg, TestMedia("preview-tone.mp3")));
      Click(h, IDC_PLAY);
      ASSERT_TRUE(playedTo(2 * kSecond));
      Click(h, IDC_START_TIME);
      ASSERT_TRUE(playedTo(3 * kSecond));  // the title line shows the second after it
      pose("main-playing");
    }

    if (wanted("video-window")) {
      // The main window moves down out of the strip where the preview window starts.
      SetWindowPos(h, nullptr, 120, 380, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      ASSERT_TRUE(OpenInPreview(dlg, TestMedia("preview-video.avi")));
      Click(h, IDC_PLAY);
      ASSERT_TRUE(playedTo(kSecond));
      Click(h, IDC_PAUSE);
      SendMessageA(g_pPlayer->m_hWnd, WM_LBUTTONUP, 0, 0);  // a click raises the preview window
      ASSERT_TRUE(PumpPending());
      pose("video-window");
    }

    if (wanted("video-fullscreen")) {
      if (!g_pPlayer || g_pPlayer->m_bNoVideo) {
        ASSERT_TRUE(OpenInPreview(dlg, TestMedia("preview-video.avi")));
      }
      Click(h, IDC_PLAY);
      EnterFullScreenFromMenu(g_pPlayer->m_hWnd);
      const ReferenceTime entered = g_pPlayer->m_rtPosition;
      ASSERT_TRUE(playedTo(entered + kSecond));  // a second of frames drawn in full screen
      pose("video-fullscreen");
    }
  });
}
