// The converter dialog: the program's main window.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "controls/CaptionLabel.h"
#include "controls/PositionSlider.h"
#include "convert/JobArithmetic.h"
#include "mainwnd/MediaOpen.h"
#include "media/ReferenceTime.h"
#include "media/StreamStall.h"
#include "res/resource.h"
#include "winfw/Controls.h"
#include "winfw/Dialog.h"
#include "winfw/UniqueHandle.h"

struct IMultiMediaStream;

class CConverterDlg : public CDialog {
 public:
  explicit CConverterDlg(CWnd* parent = nullptr);
  ~CConverterDlg() override;

  // --- Main window (operations other parts call) ---
  BOOL ClosePreview();
  void EnableMediaControls(BOOL enable);

  // --- Opening media and the range ---
  // Opens a media file as Open MP3 File does once its dialog has given the path.
  void OpenMediaFile(const std::string& path);
  // A file named at start (Open with): opened as Open MP3 File opens it once the window
  // shows; empty for none.
  std::string m_strStartFile;
  BOOL ProbeDuration();
  void UpdatePositionDisplay();
  // The media's real end, reached by the preview or a job: the length shown, the slider's
  // scale and a range to the media's end follow it from now on.
  void LearnMediaEnd(ReferenceTime end);
  // The range goes on to the media's end, wherever that turns out to be: End was not
  // marked since the open, or was marked at the length known then.
  bool RangeRunsToMediaEnd() const { return m_rtEnd == m_rtDuration; }
  BOOL SeekToSliderPos(int pos);

  // --- Preview ---
  int StartPreview(char* path);

  // --- Conversion ---
  static BOOL FileExists(const char* path);
  static unsigned ConvertThreadProc(void* param);
  void RunConversion();
  // Convert's request from the members, and its checks (each refusal in a box owned by
  // the dialog); AcceptRequest is true when the request may run.
  ConvertRequest CurrentRequest() const;
  bool AcceptRequest(const ConvertRequest& request);
  // A box of the worker's: caption "Error", no owner, the path in place of %s.
  void ShowWorkerMessage(const char* format, const std::string& path);
  void ShowWorkerText(const std::string& text);
  HRESULT OpenMediaStream(const char* path, IMultiMediaStream** stream);
  HRESULT WriteWaveFile(IMultiMediaStream* stream);
  // Stops a running job and waits for it to end (see m_nStopWaitMs), keeping the window
  // alive meanwhile; false when the worker is still busy after that.
  bool StopConversionAndWait();
  // True when closing gave up waiting for a worker that is still in a platform call: it
  // refers to this dialog, so the process must end before the dialog goes.
  bool WorkerLeftBehind() const;
  // Esc and Enter end the dialog without WM_CLOSE: they, too, end the session first.
  void OnOK() override;
  void OnCancel() override;

  // The job's state. Idle; Starting: Convert has started a worker that has not begun;
  // Running; Stopping: a stop was asked for (or the loop has ended) and the worker
  // finishes. It changes only through the four steps below, each one atomic, and
  // m_bStopped follows it: 0 while starting or running, else 1.
  enum class JobState { Idle, Starting, Running, Stopping };
  std::atomic<JobState> m_nJobState{JobState::Idle};
  bool JobActive() const { return m_nJobState != JobState::Idle; }
  bool BeginJob();        // Idle to Starting (Convert); false when a job is active
  void MarkJobRunning();  // Starting to Running (the worker's start); a stop asked for first stays
  bool RequestJobStop();  // Starting or Running to Stopping; false when there was nothing to stop
  void EndJob();          // to Idle: the worker's last touch of the dialog
  UniqueKernelHandle m_hConvertThread;        // the job's worker, until joined
  // Set with every stop request: it cuts short the worker's wait for the stream.
  UniqueKernelHandle m_hJobStop{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  bool m_bStreamCutShort = false;  // the worker's: its wait for the stream was cut short
  std::int64_t m_nMaxDataBytes = kMaxWavDataBytes;  // data length bound; lowered by tests
  std::uint32_t m_nSampleBytes = kJobSampleBytes;   // the sample the worker fills; tests compare sizes
  ConvertRequest m_job;                       // what the running job converts, fixed when it starts
  std::atomic<int> m_nWorkerBoxes{0};         // the worker's message boxes now open
  // How long closing waits for a stopped job, not counting the time the worker's boxes
  // are open while someone can answer them. A worker still busy after that is stuck in a
  // platform call: it is left behind, and the process ends without it
  // (CConverterApp::InitInstance).
  DWORD m_nStopWaitMs = 5000;
  // The preview's position poll and the stall bound of the preview and the job.
  MediaTiming m_timing;
  // How long the duration probe waits for the platform (kProbeWaitMs); tests shorten it.
  DWORD m_nProbeWaitMs = kProbeWaitMs;

  // --- Shutdown ---
  // Ends what the dialog started, whichever way it ends: the job, the preview and COM on
  // this thread. From its start nothing new starts (see SessionOpen). A call during an
  // earlier one's wait does every step (each is done once); a call after it does nothing.
  void EndSession();
  enum class Session { Open, Ending, Ended };
  Session m_nSession = Session::Open;
  // Every command of the user's asks this first.
  bool SessionOpen() const { return m_nSession == Session::Open; }
  // Set when the system ends the session: no one is left to answer a box.
  std::atomic<bool> m_bUnattended{false};
  // Set by a close (not by Esc or Enter): the output path is stored at the end.
  bool m_bCloseStoresPath = false;
  bool m_bComInitialized = false;
  void StoreOutputPath();

  // --- Output location ---
  std::string GetDefaultOutputPath(const char* section, const char* key, const char* fallback, int folder);

  // --- Members, in declaration order ---
  CCaptionLabel m_lblTitle;
  CCaptionLabel m_lblOutputFile;
  CProgressCtrl m_ctlProgress;
  CStatic m_stcEndTime;
  CStatic m_stcStartTime;
  CPositionSlider m_ctlSlider;
  std::string m_strTitle;
  std::string m_strOutputFile;
  HICON m_hIcon = nullptr;
  ReferenceTime m_rtStart = 0;
  ReferenceTime m_rtEnd = 0;
  char m_szMediaPath[MAX_PATH] = {};
  int m_nDurationSec = 0;
  HINSTANCE m_hInstance = nullptr;
  int m_nSliderPos = 0;
  ReferenceTime m_rtDuration = 0;
  std::atomic<int> m_bStopped{1};  // 1: idle or stop requested; 0: a conversion runs
  OSVERSIONINFOA m_osvi = {};

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
  LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
  bool OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

  // Message handlers.
  LRESULT OnSysCommand(WPARAM wp, LPARAM lp);
  LRESULT OnPaint(WPARAM wp, LPARAM lp);
  LRESULT OnQueryDragIcon(WPARAM wp, LPARAM lp);
  LRESULT OnClose(WPARAM wp, LPARAM lp);
  LRESULT OnDestroy(WPARAM wp, LPARAM lp);
  LRESULT OnQueryEndSession(WPARAM wp, LPARAM lp);
  LRESULT OnEndSession(WPARAM wp, LPARAM lp);
  void OnConvert();
  void OnOpenFile();
  bool AskForMediaFile(std::string& chosen);
  LRESULT OnDropFiles(WPARAM wp, LPARAM lp);
  LRESULT OnOpenStartFile(WPARAM wp, LPARAM lp);
  void OnSliderReleased(NMHDR* hdr, LRESULT* result);
  void OnPlay();
  void OnPause();
  void OnStop();
  LRESULT OnMediaEndNotify(WPARAM wp, LPARAM lp);  // lp: the MediaEndNotice
  void OnStartTime();
  void OnEndTime();
  void OnCloseMedia();
  void OnBrowse();
  void OnHelpButton();
  void OnHomepageButton();
  void OnAboutButton();
};
