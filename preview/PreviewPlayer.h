// The preview player: a filter graph for the opened file and its window.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "media/ReferenceTime.h"
#include "winfw/ComPtr.h"

enum PreviewState { StateStopped = 0, StatePaused = 1, StatePlaying = 2, StateNoMedia = 3 };

class CPreviewPlayer {
 public:
  CPreviewPlayer(HINSTANCE instance, HWND mainWindow);
  virtual ~CPreviewPlayer();

  int OpenMedia();
  void Play();
  void Pause();
  void Stop();
  HRESULT SeekTo(ReferenceTime t);
  void Close();

  HWND m_hwndMain;
  HINSTANCE m_hInstance;
  char m_szFile[MAX_PATH] = {};
  int m_bNoVideo = 0;
  int m_bFullScreen = 0;
  PreviewState m_nState = StateNoMedia;
  ComPtr<IVideoWindow> pVW;
  int m_bVideoShown = 0;
  ComPtr<IBasicVideo> pBV;
  ComPtr<IGraphBuilder> pGB;
  ComPtr<IMediaControl> pMC;
  ComPtr<IMediaEventEx> pME;
  ComPtr<IBasicAudio> pBA;
  ComPtr<IMediaSeeking> pMS;
  HWND m_hWnd = nullptr;
  bool m_bWindowCreated = false;
  DWORD m_dwLastInput = 0;
  int m_nCursorCount = 0;
  RECT m_rcWindowed = {};
  ReferenceTime m_rtPosition = 0;
  ReferenceTime m_rtStop = 0;
  int m_bHideMainNext = 1;
  LONG m_lWindowedStyle = 0;
};

// The one player of the process, or null when no media is open.
extern CPreviewPlayer* g_pPlayer;
