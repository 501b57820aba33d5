#include "winfw/DataExchange.h"

#include <vector>

#include "winfw/Wnd.h"

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (!control.m_hWnd) control.SubclassDlgItem(static_cast<UINT>(id), dx->m_pDlgWnd);
}

void DDX_Text(CDataExchange* dx, int id, std::string& value) {
  HWND item = dx->m_pDlgWnd->GetDlgItem(id);
  if (!item) return;
  if (!dx->m_bSaveAndValidate) {
    // Always sent, also when the text looks unchanged: owner-drawn labels keep their own copy.
    SetWindowTextA(item, value.c_str());
    return;
  }
  const LRESULT length = SendMessageA(item, WM_GETTEXTLENGTH, 0, 0);
  std::vector<char> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
  const LRESULT copied = SendMessageA(item, WM_GETTEXT, static_cast<WPARAM>(buffer.size()),
                                      reinterpret_cast<LPARAM>(buffer.data()));
  value.assign(buffer.data(), static_cast<size_t>(copied > 0 ? copied : 0));
}
