#include <cstring>

#include "mainwnd/ConverterDlg.h"

// Until the player lands, a preview only keeps the path that was opened.
int CConverterDlg::StartPreview(char* path) {
  if (path != m_szMediaPath) {
    std::strncpy(m_szMediaPath, path, sizeof(m_szMediaPath) - 1);
    m_szMediaPath[sizeof(m_szMediaPath) - 1] = '\0';
  }
  return 1;
}
