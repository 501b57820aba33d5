// The conversion job: Convert's checks on the user-interface thread, then one worker
// thread per job that streams the range's PCM into a WAV file.
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "app/ConverterApp.h"
#include "convert/JobArithmetic.h"
#include "convert/JobMessages.h"
#include "mainwnd/ConverterDlg.h"
#include "media/AudioPassFilter.h"
#include "media/BoundedCall.h"
#include "media/DirectShow.h"
#include "media/MediaPaths.h"
#include "winfw/ComInit.h"
#include "winfw/Mbcs.h"
#include "winfw/Paths.h"

namespace {
constexpr char kNoMedia[] = "Please open a Media file first!";
constexpr char kBadRange[] = "The Start Time is bigger than the End Time!";
constexpr char kReplaceQuestion[] = "%s exists. Do you want to replace it?";
constexpr char kNoThread[] = "can not begin thread!";
constexpr char kStillFinishing[] =
    "The previous conversion is still finishing. Please press Convert again in a moment.";
constexpr char kMediaPathTooLong[] = "The media file's path is too long to convert.";
constexpr char kOutputPathTooLong[] = "The output file's path is too long.";
constexpr char kOutputIsMedia[] =
    "The output file is the opened media file itself. Please choose another output file.";

// Whether two paths name the same file: full paths compared without regard to case
// (the stored media path is lower case), letter by letter in UTF-16 as the file system
// compares names, whatever the user's locale.
bool SameFile(const char* a, const char* b) {
  const std::wstring fullA = FullPath(AnsiToWide(a)), fullB = FullPath(AnsiToWide(b));
  return !fullA.empty() && CompareStringOrdinal(fullA.c_str(), -1, fullB.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool IsUserInput(UINT msg) {
  return (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) ||
         (msg >= WM_NCMOUSEMOVE && msg <= WM_NCXBUTTONDBLCLK);
}

// Handles every message waiting for this thread except the user's input to window and
// its controls, which is dropped.
void PumpAllButInput(HWND window) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {  // for the loop that waits outside
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (IsUserInput(msg.message) && (msg.hwnd == window || IsChild(window, msg.hwnd))) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

BOOL CALLBACK PressOkOnBox(HWND hwnd, LPARAM) {
  char cls[8] = {};
  if (GetClassNameA(hwnd, cls, sizeof(cls)) && std::strcmp(cls, "#32770") == 0)
    PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
  return TRUE;
}

// Answers the message boxes that thread has open, as OK would.
void AnswerThreadBoxes(HANDLE thread) { EnumThreadWindows(GetThreadId(thread), &PressOkOnBox, 0); }
}  // namespace

void CConverterDlg::OnConvert() {
  if (RequestJobStop()) {  // a job starts or runs: this press asks it to stop
    SetDlgItemText(IDC_CONVERT, "Convert");
    return;
  }
  // A stopped job is finishing: its worker ends within moments, and this press starts
  // the next job then. Never two at once.
  if (JobActive() && !StopConversionAndWait()) {
    MessageBox(kStillFinishing, "Error", MB_OK);
    return;
  }
  if (!SessionOpen()) return;  // the window may have begun to end meanwhile

  UpdateData(TRUE);
  ConvertRequest request = CurrentRequest();
  if (!AcceptRequest(request)) return;
  if (FileExists(request.outputPath.c_str())) {
    const std::string question = WithPath(kReplaceQuestion, request.outputPath);
    if (MessageBox(question.c_str(), "Warning", MB_YESNO | MB_ICONEXCLAMATION) != IDYES) return;
    // The window may have begun to end while the question was up.
    if (!SessionOpen()) return;
    // The old file stays until the worker opens the output for writing, which replaces
    // it: a job that fails before that leaves it as it was. While the question was up the
    // preview window could close the media: check again what the job will use.
    request = CurrentRequest();
    if (!AcceptRequest(request)) return;
  }

  // The previous worker has already done all it does with the dialog; only its return is left.
  if (m_hConvertThread) WaitForSingleObject(m_hConvertThread.Get(), INFINITE);
  m_hConvertThread.Reset();
  // The worker's own copy: the media, the output box and the range may change while it runs.
  m_job = request;
  // The job counts as started from here on, before its thread exists: a second press is
  // a stop request, and a stop request is never undone by the worker's start.
  BeginJob();
  SetDlgItemText(IDC_CONVERT, "Stop");
  m_hConvertThread = AfxBeginThread(&CConverterDlg::ConvertThreadProc, this);
  if (!m_hConvertThread) {
    RequestJobStop();
    SetDlgItemText(IDC_CONVERT, "Convert");
    EndJob();
    AfxMessageBox(kNoThread);
  }
}

bool CConverterDlg::BeginJob() {
  JobState idle = JobState::Idle;
  if (!m_nJobState.compare_exchange_strong(idle, JobState::Starting)) return false;
  ResetEvent(m_hJobStop.Get());
  m_bStopped = 0;
  return true;
}

void CConverterDlg::MarkJobRunning() {
  JobState starting = JobState::Starting;
  m_nJobState.compare_exchange_strong(starting, JobState::Running);
}

bool CConverterDlg::RequestJobStop() {
  JobState state = m_nJobState;
  while (state == JobState::Starting || state == JobState::Running) {
    if (m_nJobState.compare_exchange_weak(state, JobState::Stopping)) {
      m_bStopped = 1;
      SetEvent(m_hJobStop.Get());
      return true;
    }
  }
  return false;
}

void CConverterDlg::EndJob() {
  m_bStopped = 1;
  m_nJobState = JobState::Idle;
}

ConvertRequest CConverterDlg::CurrentRequest() const {
  return {m_szMediaPath, m_strOutputFile, m_rtStart, m_rtEnd, RangeRunsToMediaEnd()};
}

bool CConverterDlg::AcceptRequest(const ConvertRequest& request) {
  std::string refusal;
  if (request.mediaPath.empty())
    refusal = kNoMedia;
  else if (!RangeIsValid(request))
    refusal = kBadRange;
  else if (request.mediaPath.size() > kMaxMediaPathChars)
    refusal = PathTooLongText(kMediaPathTooLong);
  else if (request.outputPath.size() > kMaxMediaPathChars)
    refusal = PathTooLongText(kOutputPathTooLong);
  else if (SameFile(request.outputPath.c_str(), request.mediaPath.c_str()))
    refusal = kOutputIsMedia;
  if (!refusal.empty()) MessageBox(refusal.c_str(), "Error", MB_OK);
  return refusal.empty();
}

BOOL CConverterDlg::FileExists(const char* path) {
  UniqueFileHandle file;
  {
    ScopedErrorMode quiet(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    file.Reset(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                           nullptr));
  }
  return file ? TRUE : FALSE;
}

bool CConverterDlg::StopConversionAndWait() {
  RequestJobStop();
  // The worker sends the caption and the bar's position here and waits for them to be
  // handled, and its boxes must stay answerable: everything is handled meanwhile except
  // the user's input to this window. Only the time the worker spends in its own calls
  // counts towards the bound, never the time its boxes wait for someone to answer them.
  // A stretch of time counts only when no box was open at its start nor at its end.
  DWORD busyMs = 0;
  DWORD last = GetTickCount();
  bool boxWasOpen = m_nWorkerBoxes > 0;
  for (;;) {
    // Read afresh each time: a message handled below may have changed the thread.
    const HANDLE thread = m_hConvertThread.Get();
    if (!thread || WaitForSingleObject(thread, 0) == WAIT_OBJECT_0) break;
    if (m_bUnattended) AnswerThreadBoxes(thread);
    MsgWaitForMultipleObjects(1, &thread, FALSE, 50, QS_ALLINPUT);
    PumpAllButInput(m_hWnd);
    const DWORD now = GetTickCount();
    const bool boxOpen = m_nWorkerBoxes > 0 && !m_bUnattended;
    if (!boxWasOpen && !boxOpen) busyMs += now - last;
    boxWasOpen = boxOpen;
    last = now;
    if (busyMs >= m_nStopWaitMs) return false;  // stuck in a platform call: left behind
  }
  m_hConvertThread.Reset();
  return true;
}

bool CConverterDlg::WorkerLeftBehind() const {
  return m_hConvertThread && WaitForSingleObject(m_hConvertThread.Get(), 0) == WAIT_TIMEOUT;
}

unsigned CConverterDlg::ConvertThreadProc(void* param) {
  static_cast<CConverterDlg*>(param)->RunConversion();
  return 0;
}

void CConverterDlg::RunConversion() {
  // Convert has already shown the job running (m_bStopped 0, caption "Stop"); a stop
  // request made since then stays in force.
  MarkJobRunning();
  {
    // The multithreaded apartment: this thread waits without pumping messages, and the
    // platform's own streaming threads live there too.
    ComInit com(COINIT_MULTITHREADED);
    const std::string mediaPath = m_job.mediaPath;
    ComPtr<IMultiMediaStream> stream;
    m_bStreamCutShort = false;
    if (SUCCEEDED(OpenMediaStream(mediaPath.c_str(), stream.Out())))
      WriteWaveFile(stream.Get());
    else
      ShowWorkerMessage(kCannotStream, mediaPath);
    // A stream cut short may still wait in the platform for data that never comes, and
    // releasing it waits with it: it is released on a thread of its own.
    if (m_bStreamCutShort) CallWithin(0, [stream = std::move(stream)] {});
  }
  m_ctlProgress.SetPos(0);
  RequestJobStop();  // m_bStopped 1 before the caption, as a stop press does it
  ::SetDlgItemTextA(m_hWnd, IDC_CONVERT, "Convert");
  EndJob();  // last: nothing of the dialog is touched after this
}

HRESULT CConverterDlg::OpenMediaStream(const char* path, IMultiMediaStream** stream) {
  *stream = nullptr;
  if (std::strlen(path) > kStreamOpenerPathChars) return E_INVALIDARG;
  ComPtr<IAMMultiMediaStream> amStream;
  HRESULT hr = CreateMultiMediaStream(amStream);
  if (FAILED(hr)) return hr;
  wchar_t widePath[kStreamWidePathChars];
  if (!AnsiPathToWide(path, widePath, kStreamWidePathChars)) return E_INVALIDARG;
  amStream->Initialize(STREAMTYPE_READ, AMMSF_NOGRAPHTHREAD, nullptr);
  amStream->AddMediaStream(nullptr, &MSPID_PrimaryAudio, 0, nullptr);
  // Not run yet: the writer may move the stream's stop first (see ReachRangeEnd).
  hr = OpenFileWithPcmAdapter(amStream.Get(), widePath);
  if (SUCCEEDED(hr)) hr = amStream->QueryInterface(IID_IMultiMediaStream, reinterpret_cast<void**>(stream));
  return hr;
}
