#include "winfw/DataExchange.h"

#include "winfw/Wnd.h"

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (!control.m_hWnd) control.SubclassDlgItem(static_cast<UINT>(id), dx->m_pDlgWnd);
}

void DDX_Text(CDataExchange* dx, int id, std::string& value) {
  CWnd item;  // a non-owning view of the control, whatever wrapper it may have
  item.m_hWnd = dx->m_pDlgWnd->GetDlgItem(id);
  if (!item.m_hWnd) return;
  if (dx->m_bSaveAndValidate) {
    value = item.GetWindowText();
    return;
  }
  // Always set, also when the text looks unchanged: owner-drawn labels keep their own copy.
  item.SetWindowText(value.c_str());
}
