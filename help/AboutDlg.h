// The About box: icon, name, version and the maker's addresses.
#pragma once

#include "res/resource.h"
#include "winfw/Dialog.h"

class CAboutDlg : public CDialog {
 public:
  CAboutDlg() : CDialog(IDD_ABOUTBOX) {}
};
