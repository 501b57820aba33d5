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
