#include "controls/CaptionLabel.h"

#include <cstring>
#include <string>

#include "controls/LabelLayout.h"
#include "winfw/Mbcs.h"
#include "winfw/UniqueHandle.h"

namespace {
// Painting assembles each line here. Labels live and paint on the user-interface
// thread only, so one buffer serves them all.
char g_szLineBuffer[label_layout::kLineCapacity];

// Characters read from the template at attachment (the NUL included).
constexpr int kTemplateTextCapacity = 256;
}  // namespace

CCaptionLabel::~CCaptionLabel() {
  if (m_hWnd && IsWindow(m_hWnd)) DestroyWindow(UnsubclassWindow());
}

void CCaptionLabel::PreSubclassWindow() {
  m_dwStyle = static_cast<DWORD>(GetWindowLongPtrA(m_hWnd, GWL_STYLE));
  CStatic::PreSubclassWindow();
  // The window still runs its own procedure here, so this reads the template text.
  char text[kTemplateTextCapacity] = {};
  ::GetWindowTextA(m_hWnd, text, kTemplateTextCapacity);
  label_layout::CopyCut(m_szText, sizeof(m_szText), text, IsAnsiLeadByte);
}

bool CCaptionLabel::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  using L = CCaptionLabel;
  static const MessageMap<L> map = {
      OnMessage(WM_SETTEXT, &L::OnSetText),
      OnMessage(WM_GETTEXT, &L::OnGetText),
      OnMessage(WM_GETTEXTLENGTH, &L::OnGetTextLength),
      OnMessage(WM_PAINT, &L::OnPaint),
  };
  return map.Dispatch(*this, msg, wp, lp, result) || CStatic::OnWndMsg(msg, wp, lp, result);
}

LRESULT CCaptionLabel::OnSetText(WPARAM, LPARAM lp) {
  // The text is kept here only: the static's own copy would paint with a background.
  label_layout::CopyCut(m_szText, sizeof(m_szText), reinterpret_cast<const char*>(lp), IsAnsiLeadByte);
  m_nLineCount = label_layout::CountLines(m_szText);
  InvalidateParentUnderLabel();
  return TRUE;
}

LRESULT CCaptionLabel::OnGetText(WPARAM wp, LPARAM lp) {
  return static_cast<LRESULT>(
      label_layout::CopyCut(reinterpret_cast<char*>(lp), static_cast<size_t>(wp), m_szText, IsAnsiLeadByte));
}

LRESULT CCaptionLabel::OnGetTextLength(WPARAM, LPARAM) { return static_cast<LRESULT>(std::strlen(m_szText)); }

void CCaptionLabel::InvalidateParentUnderLabel() const {
  HWND parent = ::GetParent(m_hWnd);
  if (!parent) {
    ::InvalidateRect(m_hWnd, nullptr, TRUE);
    return;
  }
  RECT area = {};
  ::GetWindowRect(m_hWnd, &area);
  ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&area), 2);
  // The parent has no clip-children style, so this reaches the label as well: the
  // texture is laid first, then the label draws its new letters over it.
  ::InvalidateRect(parent, &area, TRUE);
}

LRESULT CCaptionLabel::OnPaint(WPARAM, LPARAM) {
  PAINTSTRUCT ps;
  const HDC dc = BeginPaint(m_hWnd, &ps);
  if (!dc) return 0;
  RECT client = {};
  ::GetClientRect(m_hWnd, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  {
    // The label's top row and left column are never painted.
    UniqueGdiObject clip(CreateRectRgn(1, 1, width, height));
    const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0));
    ScopedSelect selectFont(dc, font ? font : GetStockObject(SYSTEM_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    if (clip) SelectClipRgn(dc, static_cast<HRGN>(clip.Get()));

    int y = 0;
    for (int i = 0; i < m_nLineCount; ++i) {
      label_layout::CopyLine(g_szLineBuffer, sizeof(g_szLineBuffer), m_szText, i, IsAnsiLeadByte);
      char line[260];
      const int length = static_cast<int>(label_layout::CopyCut(line, sizeof(line), g_szLineBuffer, IsAnsiLeadByte));
      // Drawn as UTF-16: the narrow drawing calls read the text in the font's character
      // set, not in the process's code page, and would garble names outside it.
      const std::wstring wide = AnsiToWide(std::string(line, static_cast<std::size_t>(length)));
      const int wideLength = static_cast<int>(wide.size());
      SIZE extent = {};
      GetTextExtentPoint32W(dc, wide.c_str(), wideLength, &extent);
      const int x = label_layout::AlignedX(m_dwStyle, width, extent.cx);
      TextOutW(dc, x, y, wide.c_str(), wideLength);
      y += extent.cy + 1;
    }
    SelectClipRgn(dc, nullptr);
  }
  EndPaint(m_hWnd, &ps);
  return 0;
}
