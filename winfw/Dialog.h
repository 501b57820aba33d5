// CDialog: a modal dialog from a template. The dialog procedure only starts the
// dialog; once initialised, the window is subclassed and every message goes through
// the CWnd machinery, with the system's dialog handling as its default procedure.
// A dialog that does not place itself in OnInitDialog is centred after it, and Enter
// presses the push button that has the focus, however it got there.
#pragma once

#include "winfw/DataExchange.h"
#include "winfw/MessageMap.h"
#include "winfw/Wnd.h"

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);

  // Runs the dialog modally; with no parent, the application's main window owns it.
  INT_PTR DoModal();
  void EndDialog(INT_PTR result) const { ::EndDialog(m_hWnd, result); }

  // Moves data between the controls and the members (save = controls to members).
  BOOL UpdateData(BOOL save = TRUE);

  // Centres the dialog on its owner, or on its monitor's work area when it has no
  // visible owner, keeping it within that work area.
  void CenterWindow() const;

 protected:
  virtual BOOL OnInitDialog();
  virtual void DoDataExchange(CDataExchange*) {}
  virtual void OnOK();
  virtual void OnCancel();
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  LRESULT OnGetDefId(WPARAM wp, LPARAM lp);
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;
};
