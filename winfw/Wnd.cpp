#include "winfw/Wnd.h"

#include <vector>

namespace {
const char kThisProperty[] = "winfw.CWnd";

CWnd* FromHandle(HWND hwnd) { return static_cast<CWnd*>(GetPropA(hwnd, kThisProperty)); }
}  // namespace

CWnd::~CWnd() { UnsubclassWindow(); }

bool CWnd::SubclassWindow(HWND hwnd) {
  if (!hwnd || m_hWnd || FromHandle(hwnd)) return false;
  m_hWnd = hwnd;
  PreSubclassWindow();
  SetPropA(hwnd, kThisProperty, this);
  m_pfnSuper = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc)));
  return true;
}

bool CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  return parent && SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow() {
  HWND hwnd = m_hWnd;
  if (hwnd && m_pfnSuper) {
    if (IsWindow(hwnd)) {
      SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
      RemovePropA(hwnd, kThisProperty);
    }
  }
  m_pfnSuper = nullptr;
  m_hWnd = nullptr;
  return hwnd;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  CWnd* self = FromHandle(hwnd);
  if (!self) return ::DefWindowProcA(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    // The window goes away: detach first, then let the original procedure finish.
    WNDPROC super = self->m_pfnSuper;
    self->UnsubclassWindow();
    return CallWindowProcA(super, hwnd, msg, wp, lp);
  }
  const CurrentMessage saved = self->m_current;
  self->m_current = {msg, wp, lp};
  LRESULT result = 0;
  try {
    result = self->WindowProc(msg, wp, lp);
  } catch (...) {
    // No exception may cross a window procedure.
    result = self->DefWindowProc(msg, wp, lp);
  }
  self->m_current = saved;
  return result;
}

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  if (OnWndMsg(msg, wp, lp, result)) return result;
  return DefWindowProc(msg, wp, lp);
}

bool CWnd::OnWndMsg(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  if (m_pfnSuper) return CallWindowProcA(m_pfnSuper, m_hWnd, msg, wp, lp);
  return ::DefWindowProcA(m_hWnd, msg, wp, lp);
}

LRESULT CWnd::Default() { return DefWindowProc(m_current.msg, m_current.wp, m_current.lp); }

LRESULT CWnd::SendMessage(UINT msg, WPARAM wp, LPARAM lp) const {
  return ::SendMessageA(m_hWnd, msg, wp, lp);
}

BOOL CWnd::PostMessage(UINT msg, WPARAM wp, LPARAM lp) const {
  return ::PostMessageA(m_hWnd, msg, wp, lp);
}

void CWnd::SetWindowText(const char* text) const { ::SetWindowTextA(m_hWnd, text); }

std::string CWnd::GetWindowText() const {
  const int length = GetWindowTextLengthA(m_hWnd);
  if (length <= 0) return {};
  std::vector<char> buffer(static_cast<size_t>(length) + 1);
  const int copied = ::GetWindowTextA(m_hWnd, buffer.data(), length + 1);
  return std::string(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0));
}

HICON CWnd::SetIcon(HICON icon, BOOL big) const {
  return reinterpret_cast<HICON>(
      SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type) const {
  return ::MessageBoxA(m_hWnd, text, caption, type);
}
