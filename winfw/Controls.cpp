#include "winfw/Controls.h"

#include <uxtheme.h>
#include <vssym32.h>

int CProgressCtrl::GetBarPixels() const {
  RECT client = {};
  if (!::GetClientRect(m_hWnd, &client)) return 0;
  if (const HTHEME theme = GetWindowTheme(m_hWnd)) {
    RECT content = {};
    if (SUCCEEDED(GetThemeBackgroundContentRect(theme, nullptr, PP_BAR, 0, &client, &content)))
      return content.right - content.left;
  }
  return client.right - client.left - 2;  // the plain bar's frame: one pixel each side
}

LRESULT CProgressCtrl::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  // The bar repaints itself before PBM_SETPOS returns. A position sent from another
  // thread is acknowledged first, so that its sender goes on while this thread paints;
  // the next message from that thread is handled only after this one, as before.
  if (msg == PBM_SETPOS && InSendMessage()) ReplyMessage(DefWindowProc(PBM_GETPOS, 0, 0));
  return CWnd::WindowProc(msg, wp, lp);
}
