#include "mainwnd/ConverterDlg.h"

void CConverterDlg::OnStartTime() {}
void CConverterDlg::OnEndTime() {}
void CConverterDlg::UpdatePositionDisplay() {}
void CConverterDlg::OnSliderReleased(NMHDR*, LRESULT* result) { *result = 0; }
BOOL CConverterDlg::SeekToSliderPos(int) { return FALSE; }
