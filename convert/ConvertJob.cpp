// The conversion job: Convert's checks on the user-interface thread, then one worker
// thread per job that streams the range's PCM into a WAV file.
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/ConverterApp.h"
#include "convert/JobArithmetic.h"
#include "mainwnd/ConverterDlg.h"
#include "media/DirectShow.h"
#include "media/MediaPaths.h"
#include "winfw/ComInit.h"
#include "winfw/Mbcs.h"

namespace {
constexpr char kNoMedia[] = "Please open a Media file first!";
constexpr char kBadRange[] = "The Start Time is bigger than the End Time!";
constexpr char kReplaceQuestion[] = "%s exists. Do you want to replace it?";
constexpr char kNoThread[] = "can not begin thread!";
constexpr char kMediaPathTooLong[] = "The media file's path is too long to convert.";
constexpr char kOutputPathTooLong[] = "The output file's path is too long.";
constexpr char kOutputIsMedia[] =
    "The output file is the opened media file itself. Please choose another output file.";

std::string FullPath(const char* path) {
  char full[1024] = {};
  const DWORD n = GetFullPathNameA(path, sizeof(full), full, nullptr);
  return n > 0 && n < sizeof(full) ? std::string(full) : std::string();
}

// Whether two paths name the same file: full paths compared without regard to case
// (the stored media path is lower case), letter by letter in UTF-16 as the file system
// compares names, whatever the user's locale.
bool SameFile(const char* a, const char* b) {
  const std::wstring fullA = AnsiToWide(FullPath(a)), fullB = AnsiToWide(FullPath(b));
  return !fullA.empty() && CompareStringOrdinal(fullA.c_str(), -1, fullB.c_str(), -1, TRUE) == CSTR_EQUAL;
}
}  // namespace

void CConverterDlg::OnConvert() {
  if (m_bStopped == 0) {  // a job runs: this press asks it to stop
    m_bStopped = 1;
    SetDlgItemText(IDC_CONVERT, "Convert");
    return;
  }
  if (m_bJobActive) return;  // a job is starting or finishing; never two at once

  UpdateData(TRUE);
  if (m_szMediaPath[0] == '\0') {
    MessageBox(kNoMedia, "Error", MB_OK);
    return;
  }
  if (m_rtStart >= m_rtEnd) {
    MessageBox(kBadRange, "Error", MB_OK);
    return;
  }
  if (std::strlen(m_szMediaPath) > kMaxMediaPathChars) {
    MessageBox(PathTooLongText(kMediaPathTooLong).c_str(), "Error", MB_OK);
    return;
  }
  if (m_strOutputFile.size() > kMaxMediaPathChars) {
    MessageBox(PathTooLongText(kOutputPathTooLong).c_str(), "Error", MB_OK);
    return;
  }
  if (SameFile(m_strOutputFile.c_str(), m_szMediaPath)) {
    MessageBox(kOutputIsMedia, "Error", MB_OK);
    return;
  }
  if (FileExists(m_strOutputFile.c_str())) {
    const std::string question = WithPath(kReplaceQuestion, m_strOutputFile);
    if (MessageBox(question.c_str(), "Warning", MB_YESNO | MB_ICONEXCLAMATION) != IDYES) return;
    DeleteFileA(m_strOutputFile.c_str());
  }

  // The previous worker has already done all it does with the dialog; only its return is left.
  if (m_hConvertThread) WaitForSingleObject(m_hConvertThread.Get(), INFINITE);
  m_hConvertThread.Reset();
  // The worker's own copy, taken here: the output box may change while the job runs.
  m_strJobOutputFile = m_strOutputFile;
  // The job counts as running from here on, before its thread exists: a second press is
  // a stop request, and a stop request is never undone by the worker's start.
  m_bJobActive = true;
  m_bStopped = 0;
  SetDlgItemText(IDC_CONVERT, "Stop");
  m_hConvertThread = AfxBeginThread(&CConverterDlg::ConvertThreadProc, this);
  if (!m_hConvertThread) {
    m_bStopped = 1;
    SetDlgItemText(IDC_CONVERT, "Convert");
    m_bJobActive = false;
    AfxMessageBox(kNoThread);
  }
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

void CConverterDlg::StopConversionAndWait() {
  if (!m_hConvertThread) return;
  m_bStopped = 1;
  // The worker sends the caption and the bar's position here and waits for them to be
  // handled: handle sent messages, and only those, until it has ended.
  const HANDLE thread = m_hConvertThread.Get();
  while (MsgWaitForMultipleObjects(1, &thread, FALSE, 100, QS_SENDMESSAGE) != WAIT_OBJECT_0) {
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  }
  m_hConvertThread.Reset();
}

void CConverterDlg::OnOK() {
  StopConversionAndWait();
  CDialog::OnOK();
}

void CConverterDlg::OnCancel() {
  StopConversionAndWait();
  CDialog::OnCancel();
}

unsigned CConverterDlg::ConvertThreadProc(void* param) {
  static_cast<CConverterDlg*>(param)->RunConversion();
  return 0;
}

void CConverterDlg::RunConversion() {
  // Convert has already marked the job running (m_bStopped 0, caption "Stop"); a stop
  // request made since then stays in force.
  {
    ComInit com;  // for this job's streaming objects
    char mediaPath[MAX_PATH];
    std::memcpy(mediaPath, m_szMediaPath, sizeof(mediaPath));
    mediaPath[MAX_PATH - 1] = '\0';
    ComPtr<IMultiMediaStream> stream;
    if (SUCCEEDED(OpenMediaStream(mediaPath, stream.Out()))) WriteWaveFile(stream.Get());
  }
  m_ctlProgress.SetPos(0);
  m_bStopped = 1;
  ::SetDlgItemTextA(m_hWnd, IDC_CONVERT, "Convert");
  m_bJobActive = false;  // last: nothing of the dialog is touched after this
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
  hr = amStream->OpenFile(widePath, AMMSF_RUN);
  if (SUCCEEDED(hr)) hr = amStream->QueryInterface(IID_IMultiMediaStream, reinterpret_cast<void**>(stream));
  return hr;
}
