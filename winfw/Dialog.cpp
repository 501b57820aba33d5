#include "winfw/Dialog.h"

#include "winfw/WinApp.h"

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
  try {
    return self->OnInitDialog();
  } catch (...) {
    return TRUE;
  }
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
  };
  return map.Dispatch(*this, msg, wp, lp, result) || CWnd::OnWndMsg(msg, wp, lp, result);
}
