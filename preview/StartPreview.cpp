#include <cstring>

#include "app/ConverterApp.h"
#include "app/Settings.h"
#include "mainwnd/ConverterDlg.h"
#include "preview/PreviewPlayer.h"

int CConverterDlg::StartPreview(char* path) {
  if (g_pPlayer) ClosePreview();  // never leave an earlier player behind unowned
  g_pPlayer = new CPreviewPlayer(m_hInstance, m_hWnd);

  // A stored wish for full-screen start is read but not honoured: previews start in a window.
  const UINT fullScreenWish = theApp.GetProfileInt(settings::kSetupSection, settings::kFullscreenKey, 0);
  (void)fullScreenWish;

  std::strncpy(g_pPlayer->m_szFile, path, sizeof(g_pPlayer->m_szFile) - 1);
  g_pPlayer->m_szFile[sizeof(g_pPlayer->m_szFile) - 1] = '\0';
  if (g_pPlayer->OpenMedia()) return 1;

  path[0] = '\0';
  ClosePreview();
  return 0;
}
