// The display that follows the preview once a second, marking the range, and seeking
// from the position slider.
#include <cstring>
#include <string>

#include "app/ConverterApp.h"
#include "app/PrivateMessages.h"
#include "mainwnd/ConverterDlg.h"
#include "mainwnd/MediaOpen.h"
#include "mainwnd/MediaText.h"
#include "preview/PreviewPlayer.h"

namespace {
// Where a mark falls: while media plays or is paused, the graph's position at the press
// (the last poll's can be up to a second old); otherwise, or when the graph cannot say,
// the last poll's.
ReferenceTime MarkPosition(CPreviewPlayer& player) {
  ReferenceTime now = 0;
  const bool live = player.m_nState == StatePlaying || player.m_nState == StatePaused;
  if (live && player.ReadCurrentPosition(now)) return now;
  return player.m_rtPosition;
}
}  // namespace

void CConverterDlg::OnStartTime() {
  if (!g_pPlayer) return;
  m_rtStart = MarkPosition(*g_pPlayer);
  SetDlgItemText(IDC_START_CLOCK, ClockText(m_rtStart).c_str());
}

void CConverterDlg::OnEndTime() {
  if (!g_pPlayer) return;
  m_rtEnd = MarkPosition(*g_pPlayer);
  SetDlgItemText(IDC_END_CLOCK, ClockText(m_rtEnd).c_str());
}

void CConverterDlg::UpdatePositionDisplay() {
  if (theApp.m_bSliderDragging == 1) return;  // the user holds the thumb
  if (!g_pPlayer) {
    m_strTitle.clear();
    SetDlgItemText(IDC_TITLE, "");
    return;
  }
  // The stored path is left as it is here: a starting conversion may be copying it.
  if (g_pPlayer->m_rtRealEnd != 0) LearnMediaEnd(g_pPlayer->m_rtRealEnd);
  const ReferenceTime cur = g_pPlayer->m_rtPosition;
  const ReferenceTime stop = g_pPlayer->m_rtStop;
  m_strTitle = TitleLine(DisplayNameOf(m_szMediaPath), cur, m_nDurationSec);
  SetDlgItemText(IDC_TITLE, m_strTitle.c_str());
  m_nSliderPos = SliderPosition(cur, stop);
  m_ctlSlider.SetPos(m_nSliderPos);
}

void CConverterDlg::LearnMediaEnd(ReferenceTime end) {
  if (end <= 0 || !IsAnotherLength(end, m_rtDuration)) return;
  if (RangeRunsToMediaEnd()) {
    m_rtEnd = end;
    SetDlgItemText(IDC_END_CLOCK, ClockText(end).c_str());
  }
  m_rtDuration = end;
  m_nDurationSec = WholeSeconds(end);
  if (g_pPlayer && std::strcmp(g_pPlayer->m_szFile, m_szMediaPath) == 0) g_pPlayer->m_rtRealEnd = end;
}

LRESULT CConverterDlg::OnMediaEndNotify(WPARAM, LPARAM lp) {
  const MediaEndNotice& notice = *reinterpret_cast<const MediaEndNotice*>(lp);
  if (notice.mediaPath != m_szMediaPath) return 0;  // another file is open by now
  LearnMediaEnd(notice.end);
  if (g_pPlayer) UpdatePositionDisplay();
  return 0;
}

void CConverterDlg::OnSliderReleased(NMHDR*, LRESULT* result) {
  m_nSliderPos = m_ctlSlider.GetPos();
  SeekToSliderPos(m_nSliderPos);
  *result = 0;
}

BOOL CConverterDlg::SeekToSliderPos(int pos) {
  if (!g_pPlayer || g_pPlayer->m_rtStop == 0) return FALSE;
  g_pPlayer->SeekTo(SliderTarget(g_pPlayer->m_rtStop, pos));
  return TRUE;
}
