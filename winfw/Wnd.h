// CWnd: a non-owning wrapper of a window handle that can subclass the window, so that
// its messages run through a virtual WindowProc, the class's message map and, when
// nothing handles them, the window's original procedure.
#pragma once

#include <windows.h>
// The message crackers (which dshow.h pulls in) define SubclassWindow as a macro: taken
// in here and the macro dropped, so that CWnd::SubclassWindow works whatever the order of
// the includes.
#include <windowsx.h>
#undef SubclassWindow

#include <string>

class CWnd {
 public:
  CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;
  virtual ~CWnd();

  HWND m_hWnd = nullptr;

  // Attaches to an existing window and routes its messages through this object.
  bool SubclassWindow(HWND hwnd);
  bool SubclassDlgItem(UINT id, CWnd* parent);
  HWND UnsubclassWindow();
  bool IsSubclassed() const { return m_pfnSuper != nullptr; }

  // Thin helpers over the window functions.
  LRESULT SendMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const;
  BOOL PostMessage(UINT msg, WPARAM wp = 0, LPARAM lp = 0) const;
  void SetWindowText(const char* text) const;
  std::string GetWindowText() const;
  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
  void SetDlgItemText(int id, const char* text) const { ::SetDlgItemTextA(m_hWnd, id, text); }
  BOOL EnableWindow(BOOL enable = TRUE) const { return ::EnableWindow(m_hWnd, enable); }
  BOOL ShowWindow(int cmd) const { return ::ShowWindow(m_hWnd, cmd); }
  BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
  void Invalidate(BOOL erase = TRUE) const { ::InvalidateRect(m_hWnd, nullptr, erase); }
  void GetClientRect(RECT* rc) const { ::GetClientRect(m_hWnd, rc); }
  HMENU GetSystemMenu(BOOL revert) const { return ::GetSystemMenu(m_hWnd, revert); }
  HICON SetIcon(HICON icon, BOOL big) const;
  int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK) const;

 protected:
  // Called when a window is attached by subclassing, before the procedure is replaced.
  virtual void PreSubclassWindow() {}
  // Every message of a subclassed window: the message map first, then DefWindowProc.
  virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
  // The class's message map; derived classes consult their table and chain to the base.
  virtual bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  // The window's original procedure.
  virtual LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp);
  // DefWindowProc with the message being handled, for handlers that add to the default.
  LRESULT Default();

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  WNDPROC m_pfnSuper = nullptr;
  struct CurrentMessage {
    UINT msg;
    WPARAM wp;
    LPARAM lp;
  } m_current{};
};
