// Data exchange between a dialog's controls and its members.
#pragma once

#include <string>

class CWnd;

struct CDataExchange {
  bool m_bSaveAndValidate;  // true: controls to members; false: members to controls
  CWnd* m_pDlgWnd;
};

// Binds a control wrapper to the dialog's control (once; later calls do nothing).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
// Moves a control's text to the member or the member's text to the control.
void DDX_Text(CDataExchange* dx, int id, std::string& value);
