// Stopping, seeking and closing the preview's graph. Each of these waits for the
// platform's parser, and a parser that waits for a stream that stopped delivering never
// lets go: the call then runs out its bound, and the graph is left to it (see CallWithin).
#include <memory>
#include <utility>

#include "media/BoundedCall.h"
#include "preview/MediaTime.h"
#include "preview/PreviewPlayer.h"

namespace {
// How long the preview waits for its graph to stop or seek: milliseconds, unless the graph
// is held by a stalled stream.
constexpr DWORD kGraphAnswerMs = 3000;
}  // namespace

void CPreviewPlayer::Stop() {
  if (!pMC || !pMS) return;
  if (m_nState == StatePaused || m_nState == StatePlaying) {
    if (m_hWnd) KillTimer(m_hWnd, TIMER_CURSOR);
    m_nState = StateStopped;
    m_dwPlayingPollTime = 0;
    const bool answered = CallWithin(kGraphAnswerMs, [control = pMC, seeking = pMS] {
      control->Stop();
      LONGLONG start = 0;
      seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
      control->Pause();  // cues the graph at the start; the state stays stopped
    });
    if (!answered) RenewGraph();
  }
  RefreshTitle();
}

HRESULT CPreviewPlayer::SeekTo(ReferenceTime t) {
  if (!pMS) return 0;
  m_dwPlayingPollTime = 0;
  auto result = std::make_shared<HRESULT>(E_PENDING);
  const bool answered = CallWithin(kGraphAnswerMs, [seeking = pMS, t, result] {
    *result = InMediaTime(seeking.Get(), [&] {
      LONGLONG position = t < 0 ? 0 : t;
      return seeking->SetPositions(&position, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
    });
  });
  if (answered) return *result;
  RenewGraph();
  return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
}

void CPreviewPlayer::Close() {
  if (pMC && !CallWithin(kGraphAnswerMs, [control = pMC] { control->Stop(); })) AbandonGraph();
  m_nState = StateStopped;
  m_bNoVideo = 1;
  if (m_bWindowCreated) {
    DestroyPreviewWindow();
    m_bWindowCreated = false;
  }
  ReleaseGraph();
  m_szFile[0] = '\0';
  m_nState = StateNoMedia;
  if (m_hwndMain) InvalidateRect(m_hwndMain, nullptr, TRUE);
}

void CPreviewPlayer::ReleaseGraph() {
  if (pVW) {
    pVW->put_Visible(OAFALSE);
    pVW->put_Owner(0);
  }
  if (pME) pME->SetNotifyWindow(0, 0, 0);
  pME.Reset();
  pMS.Reset();
  pMC.Reset();
  pBA.Reset();
  pBV.Reset();
  pVW.Reset();
  m_audioWatch.Reset();
  pGB.Reset();
}

// Leaves the graph to the call that waits on it, which holds the graph's own lock: no
// more calls are made on it, since each would wait too. Its video, shown in this window,
// is hidden without waiting for the renderer.
void CPreviewPlayer::AbandonGraph() {
  if (m_hWnd) {
    EnumChildWindows(
        m_hWnd,
        [](HWND child, LPARAM) {
          ShowWindowAsync(child, SW_HIDE);
          return TRUE;
        },
        0);
  }
  CallWithin(0, [events = std::move(pME), seeking = std::move(pMS), control = std::move(pMC), audio = std::move(pBA),
                 video = std::move(pBV), window = std::move(pVW), watch = std::move(m_audioWatch),
                 graph = std::move(pGB)] {});
}

// The graph no longer answers: the file is opened afresh, stopped at its start, as after
// its end.
void CPreviewPlayer::RenewGraph() {
  AbandonGraph();
  m_nState = StateStopped;
  if (FAILED(BuildGraph(m_szFile))) ReleaseGraph();
}
