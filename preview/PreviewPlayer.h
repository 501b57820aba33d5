// The preview player: a filter graph for the opened file and its window.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "media/ReferenceTime.h"
#include "media/StreamStall.h"
#include "winfw/ComPtr.h"

enum PreviewState { StateStopped = 0, StatePaused = 1, StatePlaying = 2, StateNoMedia = 3 };

// Timers of the preview window.
constexpr UINT_PTR TIMER_CURSOR = 1;    // full screen only: hides an idle cursor
constexpr UINT_PTR TIMER_POSITION = 2;  // the position poll
constexpr UINT kCursorTimerMs = 50000;

class CPreviewPlayer {
 public:
  // timing is the main window's, which outlives its players.
  CPreviewPlayer(HINSTANCE instance, HWND mainWindow, const MediaTiming& timing);
  virtual ~CPreviewPlayer();

  // --- Playback ---
  int OpenMedia();
  HRESULT BuildGraph(const char* path);
  void Play();
  void Pause();
  void Stop();
  HRESULT SeekTo(ReferenceTime t);
  void Close();
  void RefreshTitle();
  HRESULT OnGraphEvent();
  void OnPositionTimer();
  // The position now, in media time, read from the graph; leaves the polled positions alone.
  bool ReadCurrentPosition(ReferenceTime& position);
  void ReportFailure(const char* format, ...);

  // --- The preview window ---
  bool CreatePreviewWindow();
  HRESULT InitVideoWindow(int multiplier, int divider);
  LRESULT FitVideoToClient();
  bool EnterFullScreen();
  bool LeaveFullScreen();
  bool SwitchFullScreen();
  void SetCursorVisible(bool show);
  void ShowContextMenu(HWND hwnd, int x, int y);
  void PrepareContextMenu(HMENU popup);
  void ToggleWindowStacking();
  void DestroyPreviewWindow();

  // Players that exist in the process (constructed and not yet deleted).
  static int LiveCount();

  HWND m_hwndMain;
  HINSTANCE m_hInstance;
  char m_szFile[MAX_PATH] = {};
  int m_bNoVideo = 0;
  int m_bFullScreen = 0;
  PreviewState m_nState = StateNoMedia;
  ComPtr<IVideoWindow> pVW;
  int m_bVideoShown = 0;
  const MediaTiming& m_timing;
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
  // The media's length as of the last poll: the platform's, which may be an estimate,
  // until the real end is known, then that. (The player moves the graph's own stop far
  // beyond the estimate, so that playing goes on to the media's real end.)
  ReferenceTime m_rtStop = 0;
  // The media's real end: 0 until playing has reached it, or the main window has learned
  // it from a job.
  ReferenceTime m_rtRealEnd = 0;
  // timeGetTime of the last poll taken while playing, 0 after any other poll or a seek:
  // where playing ends, the real end is the position then plus the time since.
  DWORD m_dwPlayingPollTime = 0;
  // The graph's filter through which its audio goes, which tells a stream that stopped
  // delivering; empty for a graph without decoded audio.
  ComPtr<IBaseFilter> m_audioWatch;
  int m_bHideMainNext = 1;
  LONG m_lWindowedStyle = 0;

 private:
  friend void DeletePlayer(CPreviewPlayer* player);
  friend class PlayerInUse;
  // Frames that use this player on the stack (its window procedure, its opening). A menu
  // or message box inside one runs a message loop that may close the media; the player
  // is then deleted when the outermost frame ends, never under a running frame.
  int m_nWndProcDepth = 0;
  bool m_bDeleteWhenIdle = false;

  void DecideNoVideo();
  void LiftStop();
  void MeasureRealEnd();
  HRESULT AttachVideoWindow();
  void ReleaseGraph();
  void AbandonGraph();
  void RenewGraph();
};

// Marks a frame that uses a player; the last frame to end deletes a player that was
// closed while it ran.
class PlayerInUse {
 public:
  explicit PlayerInUse(CPreviewPlayer* player) : m_player(player) { ++m_player->m_nWndProcDepth; }
  PlayerInUse(const PlayerInUse&) = delete;
  PlayerInUse& operator=(const PlayerInUse&) = delete;
  ~PlayerInUse() {
    if (--m_player->m_nWndProcDepth == 0 && m_player->m_bDeleteWhenIdle) delete m_player;
  }

 private:
  CPreviewPlayer* m_player;
};

// The one player of the process, or null when no media is open.
extern CPreviewPlayer* g_pPlayer;

// Deletes a closed player now, or as soon as its window procedure has returned.
void DeletePlayer(CPreviewPlayer* player);

// Which of the main window and a windowed preview the next left click raises;
// shared by every player of the process, 1 at start.
extern int g_bRaisePreviewNext;

LRESULT CALLBACK PreviewWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
