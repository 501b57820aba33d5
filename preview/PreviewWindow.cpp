// The preview window: hosts the video, receives the graph's events and the player's
// timers, and offers the right-click menu, full screen and the click stacking.
#include <windowsx.h>

#include "app/PrivateMessages.h"
#include "preview/PreviewGeometry.h"
#include "preview/PreviewPlayer.h"
#include "res/resource.h"
#include "winfw/UniqueHandle.h"

int g_bRaisePreviewNext = 1;

namespace {
constexpr char kPreviewClass[] = "PreviewWindow";
constexpr UINT kZOrderOnly = SWP_NOMOVE | SWP_NOSIZE;

IntRect ToIntRect(const RECT& rc) { return {rc.left, rc.top, rc.right, rc.bottom}; }

LRESULT OnTimer(CPreviewPlayer& player, HWND hwnd, WPARAM id, LPARAM lp) {
  if (id == TIMER_CURSOR) {
    if (player.m_bFullScreen == 1 && CursorIdleExpired(timeGetTime(), player.m_dwLastInput))
      player.SetCursorVisible(false);
    return 0;
  }
  if (id == TIMER_POSITION) {
    player.OnPositionTimer();
    return 0;
  }
  return DefWindowProcA(hwnd, WM_TIMER, id, lp);
}

void OnCommand(CPreviewPlayer& player, HWND hwnd, WORD command) {
  switch (command) {
    case ID_PREVIEW_PLAY: player.Play(); break;
    case ID_PREVIEW_PAUSE: player.Pause(); break;
    case ID_PREVIEW_STOP: player.Stop(); break;
    case ID_PREVIEW_CLOSE: SendMessageA(hwnd, WM_CLOSE, 0, 0); break;
    case ID_PREVIEW_FULLSCREEN: player.SwitchFullScreen(); break;
    case ID_PREVIEW_NORMALSIZE: player.InitVideoWindow(1, 1); break;
    default: break;
  }
}

LRESULT OnMouse(CPreviewPlayer& player, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (player.m_bFullScreen == 1) player.SetCursorVisible(true);
  if (msg == WM_LBUTTONUP) {
    player.ToggleWindowStacking();
    return 0;
  }
  if (msg == WM_RBUTTONUP) {
    player.ShowContextMenu(hwnd, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
    player.m_bHideMainNext = 1;
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}
}  // namespace

LRESULT CALLBACK PreviewWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* player = reinterpret_cast<CPreviewPlayer*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (!player) return DefWindowProcA(hwnd, msg, wp, lp);  // still being created
  PlayerInUse frame(player);

  switch (msg) {
    case WM_MOVE:
    case WM_SIZE:
      if (player->m_bVideoShown == 1) return player->FitVideoToClient();
      break;
    case WM_CLOSE:
      // The main window's Close command ends the player once this handler has returned.
      return PostMessageA(player->m_hwndMain, WM_COMMAND, IDC_CLOSE_MEDIA, 0);
    case WM_KEYUP:
      if (wp != VK_ESCAPE) return DefWindowProcA(hwnd, msg, wp, lp);
      if (player->m_bFullScreen == 1) player->LeaveFullScreen();
      return 0;
    case WM_COMMAND:
      OnCommand(*player, hwnd, LOWORD(wp));
      break;
    case WM_TIMER:
      return OnTimer(*player, hwnd, wp, lp);
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      return OnMouse(*player, hwnd, msg, wp, lp);
    case WM_GRAPHNOTIFY:
      player->OnGraphEvent();
      break;
    default:
      break;
  }
  if (player->pVW) player->pVW->NotifyOwnerMessage(reinterpret_cast<OAHWND>(hwnd), msg, wp, lp);
  return DefWindowProcA(hwnd, msg, wp, lp);
}

bool CPreviewPlayer::CreatePreviewWindow() {
  WNDCLASSA wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = PreviewWndProc;
  wc.hInstance = m_hInstance;
  wc.hIcon = LoadIconA(m_hInstance, MAKEINTRESOURCEA(IDR_MAINFRAME));
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kPreviewClass;
  RegisterClassA(&wc);  // fails harmlessly when an earlier player registered it

  RECT work = {};
  RECT main = {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(m_hwndMain, &main);
  const IntRect rc = InitialPreviewRect(ToIntRect(work), ToIntRect(main));

  HWND hwnd = CreateWindowExA(0, kPreviewClass, "Video Window", WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                              rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, nullptr, nullptr, m_hInstance,
                              this);
  if (hwnd) {
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_hWnd = hwnd;
    m_bWindowCreated = true;
  }
  return true;
}

HRESULT CPreviewPlayer::InitVideoWindow(int multiplier, int divider) {
  if (m_bFullScreen == 1 && m_bVideoShown == 1) LeaveFullScreen();
  if (!pBV || !pVW) return 0;
  long width = 0;
  long height = 0;
  // A renderer without a picture (or one that cannot tell its size) leaves the window as it is.
  if (FAILED(pBV->GetVideoSize(&width, &height))) return 0;

  const IntSize outer =
      NormalWindowSize(width, height, multiplier, divider, GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME),
                       GetSystemMetrics(SM_CYCAPTION));
  SetWindowPos(m_hWnd, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOOWNERZORDER);

  RECT rect = {};
  GetClientRect(m_hWnd, &rect);
  const HRESULT hr = pVW->SetWindowPosition(rect.left, rect.top, rect.right, rect.bottom);
  if (FAILED(hr))
    ReportFailure("FAILED(hr=0x%x) in pVW->SetWindowPosition(rect.left, rect.top, rect.right, rect.bottom)\n",
                  static_cast<unsigned>(hr));
  return hr;
}

LRESULT CPreviewPlayer::FitVideoToClient() {
  RECT rc = {};
  GetClientRect(m_hWnd, &rc);
  if (pVW) pVW->SetWindowPosition(0, 0, rc.right - rc.left, rc.bottom - rc.top);
  return 0;
}

bool CPreviewPlayer::SwitchFullScreen() {
  if (m_bNoVideo == 1 || !pVW) return false;
  return m_bFullScreen == 1 ? LeaveFullScreen() : EnterFullScreen();
}

bool CPreviewPlayer::EnterFullScreen() {
  if (!pVW) return false;
  const int cx = GetSystemMetrics(SM_CXSCREEN);
  const int cy = GetSystemMetrics(SM_CYSCREEN);

  const LONG style = GetWindowLongA(m_hWnd, GWL_STYLE);
  const bool wasVisible = IsWindowVisible(m_hWnd) != FALSE;
  GetWindowRect(m_hWnd, &m_rcWindowed);
  m_lWindowedStyle = style | WS_VISIBLE;

  SetWindowLongA(m_hWnd, GWL_STYLE, WS_POPUP | WS_CLIPCHILDREN);
  SetWindowPos(m_hWnd, HWND_TOP, 0, 0, cx, cy, SWP_NOOWNERZORDER | SWP_SHOWWINDOW | SWP_FRAMECHANGED);

  long width = 0;
  long height = 0;
  if (FAILED(pBV ? pBV->GetVideoSize(&width, &height) : E_NOINTERFACE)) {
    // No picture to fit: put the window back exactly as it was.
    const RECT& rc = m_rcWindowed;
    SetWindowLongA(m_hWnd, GWL_STYLE, style);
    SetWindowPos(m_hWnd, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED |
                     (wasVisible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    return false;
  }

  const VideoPlace place = FitVideoToScreen(cx, cy, width, height);
  pVW->SetWindowPosition(place.left, place.top, place.width, place.height);

  m_dwLastInput = timeGetTime();
  SetTimer(m_hWnd, TIMER_CURSOR, kCursorTimerMs, nullptr);
  m_bFullScreen = 1;
  m_bHideMainNext = 1;
  return true;
}

bool CPreviewPlayer::LeaveFullScreen() {
  if (!pVW) return false;
  const UINT showOrHide = m_bVideoShown == 1 ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
  const RECT& rc = m_rcWindowed;
  SetWindowLongA(m_hWnd, GWL_STYLE, m_lWindowedStyle);
  SetWindowPos(m_hWnd, HWND_TOPMOST, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
               SWP_NOOWNERZORDER | SWP_FRAMECHANGED | showOrHide);
  KillTimer(m_hWnd, TIMER_CURSOR);
  SetCursorVisible(true);
  m_bFullScreen = 0;
  // A click in full screen may have hidden the main window.
  SetWindowPos(m_hwndMain, HWND_TOP, 0, 0, 0, 0, kZOrderOnly | SWP_SHOWWINDOW);
  SetWindowPos(m_hWnd, HWND_NOTOPMOST, 0, 0, 0, 0, kZOrderOnly | showOrHide);
  return true;
}

void CPreviewPlayer::SetCursorVisible(bool show) {
  if (show) {
    while (m_nCursorCount < 0) m_nCursorCount = ShowCursor(TRUE);
    m_dwLastInput = timeGetTime();
  } else {
    while (m_nCursorCount >= 0) m_nCursorCount = ShowCursor(FALSE);
  }
}

void CPreviewPlayer::ShowContextMenu(HWND hwnd, int x, int y) {
  UniqueMenu menu(LoadMenuA(m_hInstance, MAKEINTRESOURCEA(IDR_PREVIEW_MENU)));
  if (!menu) {
    MessageBoxA(nullptr, "error", "error", MB_OK);
    return;
  }
  HMENU popup = GetSubMenu(menu.Get(), 0);
  PrepareContextMenu(popup);

  POINT pt = {x, y};
  if (m_bFullScreen == 1) {
    long left = 0, top = 0, width = 0, height = 0;
    if (pVW) pVW->GetWindowPosition(&left, &top, &width, &height);
    pt.x += left;
    pt.y += top;
  } else {
    ClientToScreen(hwnd, &pt);
  }
  TrackPopupMenu(popup, 0, pt.x, pt.y, 0, hwnd, nullptr);
}

void CPreviewPlayer::PrepareContextMenu(HMENU popup) {
  CheckMenuItem(popup, ID_PREVIEW_FULLSCREEN, MF_BYCOMMAND | (m_bFullScreen == 1 ? MF_CHECKED : MF_UNCHECKED));
  const MenuGreying grey = MenuGreyingFor(m_nState);
  const auto state = [](bool greyed) { return MF_BYCOMMAND | (greyed ? MF_GRAYED : MF_ENABLED); };
  EnableMenuItem(popup, ID_PREVIEW_PLAY, state(grey.play));
  EnableMenuItem(popup, ID_PREVIEW_PAUSE, state(grey.pause));
  EnableMenuItem(popup, ID_PREVIEW_STOP, state(grey.stop));
}

void CPreviewPlayer::ToggleWindowStacking() {
  if (!pVW) return;
  if (m_bFullScreen == 1) {
    if (m_bHideMainNext == 1)
      SetWindowPos(m_hwndMain, HWND_NOTOPMOST, 0, 0, 0, 0, kZOrderOnly | SWP_HIDEWINDOW);
    else
      SetWindowPos(m_hwndMain, HWND_TOPMOST, 0, 0, 0, 0, kZOrderOnly | SWP_SHOWWINDOW);
    m_bHideMainNext = !m_bHideMainNext;
    return;
  }
  if (g_bRaisePreviewNext == 1) {
    SetWindowPos(m_hwndMain, HWND_NOTOPMOST, 0, 0, 0, 0, kZOrderOnly | SWP_SHOWWINDOW);
    SetWindowPos(m_hWnd, HWND_TOP, 0, 0, 0, 0, kZOrderOnly | SWP_SHOWWINDOW);
  } else {
    SetWindowPos(m_hwndMain, HWND_TOPMOST, 0, 0, 0, 0, kZOrderOnly | SWP_SHOWWINDOW);
  }
  g_bRaisePreviewNext = !g_bRaisePreviewNext;
}

void CPreviewPlayer::DestroyPreviewWindow() {
  if (pVW) {
    ShowWindow(m_hWnd, SW_HIDE);
    pVW->put_Visible(OAFALSE);
    if (m_bFullScreen == 1) {
      m_bVideoShown = 0;
      LeaveFullScreen();  // hidden again, and the main window shown
      ShowWindow(m_hWnd, SW_HIDE);
    }
  }
  if (m_hwndMain) UpdateWindow(m_hwndMain);
  if (m_hWnd) DestroyWindow(m_hWnd);
  m_hWnd = nullptr;
}
