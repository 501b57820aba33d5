#include "mainwnd/ConverterDlg.h"

void CConverterDlg::OnOpenFile() {}
BOOL CConverterDlg::ProbeDuration() { return FALSE; }
