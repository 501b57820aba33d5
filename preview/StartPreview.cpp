#include <cstring>

#include "app/ConverterApp.h"
#include "app/Settings.h"
#include "mainwnd/ConverterDlg.h"
#include "preview/PreviewPlayer.h"
#include "winfw/Mbcs.h"
#include "winfw/portable/PathText.h"

int CConverterDlg::StartPreview(char* path) {
  if (g_pPlayer) ClosePreview();  // never leave an earlier player behind unowned
  g_pPlayer = new CPreviewPlayer(m_hInstance, m_hWnd, m_timing);

  // A stored wish for full-screen start is read but not honoured: previews start in a window.
  const UINT fullScreenWish = theApp.GetProfileInt(settings::kSetupSection, settings::kFullscreenKey, 0);
  (void)fullScreenWish;

  CPreviewPlayer* player = g_pPlayer;
  CopyWholeCharacters(player->m_szFile, sizeof(player->m_szFile), path, std::strlen(path), IsAnsiLeadByte);
  bool opened = false;
  bool superseded = false;
  {
    // A failure box of the opening has no owner, so the user can open another file or
    // close the media while it is up: the player then outlives the opening, and what
    // replaced it is left alone.
    PlayerInUse inUse(player);
    opened = player->OpenMedia() != 0;
    superseded = g_pPlayer != player;
  }
  if (superseded) return 0;
  if (opened) return 1;

  path[0] = '\0';
  ClosePreview();
  return 0;
}
