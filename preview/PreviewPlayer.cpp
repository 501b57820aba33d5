#include "preview/PreviewPlayer.h"

#include <cstdarg>
#include <cstdio>

#include "app/PrivateMessages.h"
#include "mainwnd/MediaText.h"
#include "media/AudioPassFilter.h"
#include "media/DirectShow.h"
#include "media/FarStop.h"
#include "preview/MediaTime.h"
#include "preview/PreviewGeometry.h"
#include "winfw/Mbcs.h"

CPreviewPlayer* g_pPlayer = nullptr;

namespace {
constexpr char kUnplayableText[] =
    "Cannot play the file.  The file is either corrupt or\n"
    "the player does not support the format you are trying to play.\n"
    "If you want more decoders, please visit our website.";

unsigned Hex(HRESULT hr) { return static_cast<unsigned>(hr); }

// Asks the graph for one interface; a refusal is shown with the call's own text.
template <class T>
HRESULT QueryGraph(CPreviewPlayer& player, ComPtr<T>& out, const char* failureFormat) {
  const HRESULT hr = out.QueryFrom(player.pGB.Get());
  if (FAILED(hr)) player.ReportFailure(failureFormat, Hex(hr));
  return hr;
}
}  // namespace

namespace {
int g_nLivePlayers = 0;
}  // namespace

CPreviewPlayer::CPreviewPlayer(HINSTANCE instance, HWND mainWindow, const MediaTiming& timing)
    : m_hwndMain(mainWindow), m_hInstance(instance), m_timing(timing) {
  ++g_nLivePlayers;
}

// Releases nothing itself: the owner closes a player before deleting it.
CPreviewPlayer::~CPreviewPlayer() { --g_nLivePlayers; }

int CPreviewPlayer::LiveCount() { return g_nLivePlayers; }

void DeletePlayer(CPreviewPlayer* player) {
  if (!player) return;
  if (player->m_nWndProcDepth > 0) {
    player->m_bDeleteWhenIdle = true;
    return;
  }
  delete player;
}

int CPreviewPlayer::OpenMedia() {
  m_nState = StateStopped;
  CreatePreviewWindow();
  if (SUCCEEDED(BuildGraph(m_szFile))) return 1;
  if (m_nState != StateNoMedia) Close();
  return 0;
}

HRESULT CPreviewPlayer::BuildGraph(const char* path) {
  // A path that does not convert whole stays empty, and the graph refuses to render it.
  WCHAR wideFile[MAX_PATH] = {};
  AnsiPathToWide(path, wideFile, MAX_PATH);

  HRESULT hr = CreateFilterGraph(pGB);
  if (FAILED(hr)) {
    ReportFailure(
        "FAILED(hr=0x%x) in CoCreateInstance(CLSID_FilterGraph, NULL, CLSCTX_INPROC_SERVER, IID_IGraphBuilder, "
        "(void **)&pGB)\n",
        Hex(hr));
    return hr;
  }
  hr = RenderFileWithAudioWatch(pGB.Get(), wideFile, m_audioWatch);
  if (FAILED(hr)) {
    MessageBoxA(nullptr, kUnplayableText, "Error", MB_OK);
    return hr;
  }
  if (FAILED(hr = QueryGraph(*this, pMC,
                             "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IMediaControl, (void **)&pMC)\n")))
    return hr;
  if (FAILED(hr = QueryGraph(*this, pME,
                             "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IMediaEventEx, (void **)&pME)\n")))
    return hr;
  if (FAILED(hr = QueryGraph(*this, pMS,
                             "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IMediaSeeking, (void **)&pMS)\n")))
    return hr;
  if (FAILED(hr = QueryGraph(*this, pVW,
                             "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IVideoWindow, (void **)&pVW)\n")))
    return hr;
  if (FAILED(hr = QueryGraph(*this, pBV,
                             "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IBasicVideo, (void **)&pBV)\n")))
    return hr;
  if (FAILED(hr = QueryGraph(*this, pBA,
                             "FAILED(hr=0x%x) in pGB->QueryInterface(IID_IBasicAudio, (void **)&pBA)\n")))
    return hr;

  DecideNoVideo();
  if (m_nState == StateNoMedia) return E_ABORT;  // closed while a failure box was up
  LiftStop();

  const HRESULT notifyResult = pME->SetNotifyWindow(reinterpret_cast<OAHWND>(m_hWnd), WM_GRAPHNOTIFY, 0);
  if (FAILED(notifyResult)) {
    ReportFailure("FAILED(hr=0x%x) in pME->SetNotifyWindow(reinterpret_cast<OAHWND>(m_hWnd), WM_GRAPHNOTIFY, 0)\n",
                  Hex(notifyResult));
    return notifyResult;
  }

  if (!m_bNoVideo) {
    hr = AttachVideoWindow();
    if (FAILED(hr)) {
      ReportFailure("FAILED(hr=0x%x) in InitVideoWindow(1, 1)\n", Hex(hr));
      return hr;
    }
    m_bVideoShown = 1;
    RefreshTitle();  // the user never sees the creation caption
    ShowWindow(m_hWnd, SW_SHOWNORMAL);
  } else {
    ShowWindow(m_hWnd, SW_HIDE);
  }

  UpdateWindow(m_hWnd);
  SetForegroundWindow(m_hWnd);
  SetFocus(m_hWnd);
  RefreshTitle();
  SetTimer(m_hWnd, TIMER_POSITION, m_timing.positionPollMs, nullptr);
  return notifyResult;
}

// The video becomes a borderless child of the preview window, which also receives its
// mouse and key messages, and the window takes the video's size.
HRESULT CPreviewPlayer::AttachVideoWindow() {
  long style = 0;
  pVW->get_WindowStyle(&style);
  style &= ~(WS_CAPTION | WS_THICKFRAME);
  style |= WS_CHILD;
  pVW->put_WindowStyle(style);
  pVW->put_Owner(reinterpret_cast<OAHWND>(m_hWnd));
  pVW->put_MessageDrain(reinterpret_cast<OAHWND>(m_hWnd));
  return InitVideoWindow(1, 1);
}

// The graph stops at the platform's length, which for some files is an estimate from
// their first frames that falls far short of their end: the stop goes as far as any job
// could convert, and playing ends where the media does.
void CPreviewPlayer::LiftStop() {
  InMediaTime(pMS.Get(), [&] {
    LONGLONG stop = 0;
    const HRESULT hr = pMS->GetStopPosition(&stop);
    return FAILED(hr) ? hr : RewindWithStopNoEarlierThan(pMS.Get(), stop, FarStopTime(0, kLowestPcmBytesPerSec));
  });
}

void CPreviewPlayer::DecideNoVideo() {
  if (!pVW || !pBV) {
    m_bNoVideo = 1;
    return;
  }
  m_bNoVideo = 0;
  long visible = 0;
  const HRESULT hr = pVW->get_Visible(&visible);
  if (hr == E_NOINTERFACE) {
    m_bNoVideo = 1;  // the graph holds no video renderer
  } else if (FAILED(hr)) {
    ReportFailure("Failed(%08lx) in pVW->get_Visible()!\r\n", static_cast<unsigned long>(Hex(hr)));
  }
}

void CPreviewPlayer::Play() {
  if (!pMC) return;
  if (m_nState == StateStopped || m_nState == StatePaused) {
    if (SUCCEEDED(pMC->Run())) m_nState = StatePlaying;
  }
  if (pMS && SUCCEEDED(pMS->SetRate(1.0))) RefreshTitle();
}

void CPreviewPlayer::Pause() {
  if (!pMC) return;
  if (m_nState != StateStopped && m_nState != StatePaused) {
    if (SUCCEEDED(pMC->Pause())) m_nState = StatePaused;
    m_dwPlayingPollTime = 0;
  }
  RefreshTitle();
}

void CPreviewPlayer::OnPositionTimer() {
  if (!pMS) return;
  LONGLONG stop = 0;
  LONGLONG current = 0;
  const HRESULT hr = InMediaTime(pMS.Get(), [&] {
    HRESULT result = pMS->GetDuration(&stop);  // the graph's stop lies far beyond it
    if (SUCCEEDED(result)) result = pMS->GetCurrentPosition(&current);
    return result;
  });
  if (FAILED(hr)) return;  // both positions come from one poll or neither changes
  if (m_nState == StatePlaying && AudioStalled(m_audioWatch.Get(), m_timing.stallMs)) {
    Stop();  // as at the media's end, whose event a stalled stream never sends
    return;
  }
  m_rtStop = m_rtRealEnd != 0 ? m_rtRealEnd : stop;
  m_rtPosition = current;
  m_dwPlayingPollTime = m_nState == StatePlaying ? timeGetTime() | 1 : 0;  // never 0 while playing
  RECT rc;
  if (m_hwndMain && GetClientRect(m_hwndMain, &rc)) PostMessageA(m_hwndMain, WM_POSITIONNOTIFY, 0, 0);
}

bool CPreviewPlayer::ReadCurrentPosition(ReferenceTime& position) {
  if (!pMS) return false;
  LONGLONG current = 0;
  if (FAILED(InMediaTime(pMS.Get(), [&] { return pMS->GetCurrentPosition(&current); }))) return false;
  position = current;
  return true;
}

HRESULT CPreviewPlayer::OnGraphEvent() {
  if (!pME) return 0;
  HRESULT hr = S_OK;
  long code = 0;
  LONG_PTR param1 = 0;
  LONG_PTR param2 = 0;
  while (SUCCEEDED(pME->GetEvent(&code, &param1, &param2, 0))) {
    hr = pME->FreeEventParams(code, param1, param2);
    if (code == EC_COMPLETE) {
      MeasureRealEnd();
      Stop();
    }
  }
  return hr;
}

// At the end of playing, the graph reports its stop rather than the position reached:
// the end is where the last poll was, plus the time played since.
void CPreviewPlayer::MeasureRealEnd() {
  if (m_rtRealEnd != 0 || m_nState != StatePlaying || m_dwPlayingPollTime == 0) return;
  const ReferenceTime end = m_rtPosition + static_cast<ReferenceTime>(timeGetTime() - m_dwPlayingPollTime) * 10'000;
  if (IsAnotherLength(end, m_rtStop)) m_rtRealEnd = end;
}

void CPreviewPlayer::RefreshTitle() {
  if (!m_hWnd) return;
  SetWindowTextA(m_hWnd, PreviewTitle(m_szFile, m_nState == StatePaused, IsAnsiLeadByte).c_str());
}

void CPreviewPlayer::ReportFailure(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof(text), format, args);
  va_end(args);
  MessageBoxA(nullptr, text, "Message", MB_OK);
}
