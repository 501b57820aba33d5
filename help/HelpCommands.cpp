#include "help/WebLinks.h"
#include "mainwnd/ConverterDlg.h"

void CConverterDlg::OnHelpButton() {}
void CConverterDlg::OnHomepageButton() {}
void PromptUpdateCheck(const char*) {}
