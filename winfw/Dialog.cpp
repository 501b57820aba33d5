#include "winfw/Dialog.h"

#include "winfw/WinApp.h"
#include "winfw/portable/Placement.h"

namespace {
RECT WindowRect(HWND hwnd) {
  RECT rc = {};
  ::GetWindowRect(hwnd, &rc);
  return rc;
}

PlaceRect ToPlace(const RECT& rc) { return {rc.left, rc.top, rc.right, rc.bottom}; }

bool IsPushButton(HWND hwnd) {
  return (::SendMessageA(hwnd, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}
}  // namespace

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

INT_PTR CDialog::DoModal() {
  HWND owner = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
  if (!owner && AfxGetApp() && AfxGetApp()->m_pMainWnd && AfxGetApp()->m_pMainWnd != this)
    owner = AfxGetApp()->m_pMainWnd->m_hWnd;
  return DialogBoxParamA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(m_nIDTemplate), owner,
                         &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM, LPARAM lp) {
  if (msg != WM_INITDIALOG) return FALSE;  // everything else runs through SubclassProc
  CDialog* self = reinterpret_cast<CDialog*>(lp);
  if (!self || !self->SubclassWindow(hwnd)) return TRUE;
  const RECT placed = WindowRect(hwnd);
  BOOL result = TRUE;
  try {
    result = self->OnInitDialog();
  } catch (...) {
    // No exception may cross the dialog procedure: the dialog opens as it stands.
  }
  // A dialog that did not move itself opens centred: on its owner, or on the screen.
  const RECT now = WindowRect(hwnd);
  if (IsWindow(hwnd) && now.left == placed.left && now.top == placed.top) self->CenterWindow();
  return result;
}

void CDialog::CenterWindow() const {
  HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
  if (owner && (!::IsWindowVisible(owner) || ::IsIconic(owner))) owner = nullptr;
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  if (!GetMonitorInfoA(MonitorFromWindow(owner ? owner : m_hWnd, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT window = WindowRect(m_hWnd);
  const RECT around = owner ? WindowRect(owner) : monitor.rcWork;
  const PlacePoint at = CentredOrigin(window.right - window.left, window.bottom - window.top, ToPlace(around),
                                      ToPlace(monitor.rcWork));
  ::SetWindowPos(m_hWnd, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

BOOL CDialog::UpdateData(BOOL save) {
  CDataExchange dx{save != FALSE, this};
  DoDataExchange(&dx);
  return TRUE;
}

void CDialog::OnOK() {
  UpdateData(TRUE);
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

bool CDialog::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  static const MessageMap<CDialog> map = {
      OnCommand(IDOK, BN_CLICKED, &CDialog::OnOK),
      OnCommand(IDCANCEL, BN_CLICKED, &CDialog::OnCancel),
      OnMessage(DM_GETDEFID, &CDialog::OnGetDefId),
  };
  return map.Dispatch(*this, msg, wp, lp, result) || CWnd::OnWndMsg(msg, wp, lp, result);
}

// Enter presses the default button, which the dialog manager asks for here unless the
// focus is on a button already flagged as the default. Some platforms move that flag with
// the focus only on Tab, not when the focus comes from the start, a mouse click or a
// closed box: the focused push button is the default in every case, and otherwise the
// platform's answer stands (OK, unless the dialog names another).
LRESULT CDialog::OnGetDefId(WPARAM, LPARAM) {
  HWND focus = ::GetFocus();
  if (focus && ::IsChild(m_hWnd, focus) && IsPushButton(focus))
    return MAKELRESULT(::GetDlgCtrlID(focus), DC_HASDEFID);
  return Default();
}
