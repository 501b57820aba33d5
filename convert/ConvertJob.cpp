#include "mainwnd/ConverterDlg.h"

void CConverterDlg::OnConvert() {}
BOOL CConverterDlg::FileExists(const char*) { return FALSE; }
unsigned CConverterDlg::ConvertThreadProc(void*) { return 0; }
void CConverterDlg::RunConversion() {}
HRESULT CConverterDlg::OpenMediaStream(const char*, IMultiMediaStream**) { return E_NOTIMPL; }
HRESULT CConverterDlg::WriteWaveFile(IMultiMediaStream*) { return E_NOTIMPL; }
