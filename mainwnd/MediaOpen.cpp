// Open MP3 File, a file dropped on the window and a file named at start: the open
// dialog, the duration probe, the display name, the title line and the clocks.
#include <windows.h>

#include <commdlg.h>
#include <shellapi.h>

#include "mainwnd/MediaOpen.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "app/ConverterApp.h"
#include "mainwnd/ConverterDlg.h"
#include "mainwnd/MediaText.h"
#include "media/DirectShow.h"
#include "media/MediaPaths.h"
#include "winfw/Mbcs.h"
#include "winfw/UniqueHandle.h"

namespace {
constexpr char kOpenTitle[] = "Select an MP3 file";
// Pairs of description and pattern; "*.*;" ends with a semicolon.
constexpr char kOpenFilter[] = "MP3 file (*.mp3)\0*.mp3\0Any Files (*.*)\0*.*;\0";
constexpr char kProbeFailed[] =
    "Cannot open the file and get the total time. You need to install appropriate decoders.\nOr the file is corrupt.";
constexpr char kCannotRead[] = "Can not open the media file!";
constexpr char kChosenPathTooLong[] = "The chosen path is too long.";
constexpr std::size_t kNameBufferBytes = 260;

struct DropTraits {  // a drop handle is given back with DragFinish
  static HDROP Invalid() { return nullptr; }
  static void Close(HDROP h) { DragFinish(h); }
};
using UniqueDrop = UniqueHandle<HDROP, DropTraits>;

// Dropped file number index, in the ANSI code page. The shell keeps the names in UTF-16;
// they are read so and converted here, so that the buffer is sized in the unit it is
// filled in.
std::string DroppedFile(HDROP drop, UINT index) {
  const UINT length = DragQueryFileW(drop, index, nullptr, 0);
  std::wstring name(length + 1, L'\0');
  const UINT copied = DragQueryFileW(drop, index, &name[0], length + 1);
  return WideToAnsi(name.c_str(), copied);
}
}  // namespace

int GetMediaStopTime(const char* path, ReferenceTime& stop, std::uint32_t boundMs) {
  ComPtr<IGraphBuilder> graph;  // made on this thread, and used here but for its rendering
  if (FAILED(CreateFilterGraph(graph))) return 0;
  wchar_t widePath[kProbeWidePathChars];
  if (!AnsiPathToWide(path, widePath, kProbeWidePathChars)) return 0;
  if (FAILED(RenderFileWithin(graph.Get(), widePath, boundMs))) return 0;
  ComPtr<IMediaSeeking> seeking;
  if (FAILED(seeking.QueryFrom(graph.Get()))) return 0;
  LONGLONG position = 0;
  if (FAILED(seeking->GetStopPosition(&position))) return 0;
  stop = position;
  return 1;  // the seeking interface is released before the graph
}

std::string DisplayNameOf(const std::string& path) {
  if (IsUrlLikePath(path)) return path;
  std::string lowered = path;
  LowerAnsiInPlace(&lowered[0], lowered.size());
  return LocalDisplayName(path, lowered, IsAnsiLeadByte);
}

int GetDisplayName(char* path, char* name) {
  if (!path || path[0] == '\0') return 0;
  const std::string original = path;
  const std::string display = DisplayNameOf(original);
  CopyWholeCharacters(name, kNameBufferBytes, display.c_str(), display.size(), IsAnsiLeadByte);
  if (!IsUrlLikePath(original)) LowerAnsiInPlace(path, original.size());
  return 1;
}

BOOL CConverterDlg::ProbeDuration() {
  if (GetMediaStopTime(m_szMediaPath, m_rtDuration, m_nProbeWaitMs) != 1) return FALSE;
  m_rtEnd = m_rtDuration;
  m_nDurationSec = WholeSeconds(m_rtDuration);
  return TRUE;
}

void CConverterDlg::OnOpenFile() {
  std::string chosen;
  // The window may have begun to end while the dialog was up.
  if (AskForMediaFile(chosen) && SessionOpen()) OpenMediaFile(chosen);
}

LRESULT CConverterDlg::OnDropFiles(WPARAM wp, LPARAM) {
  std::string first;
  {
    UniqueDrop drop(reinterpret_cast<HDROP>(wp));
    if (DragQueryFileW(drop.Get(), 0xFFFFFFFF, nullptr, 0) == 0) return 0;
    first = DroppedFile(drop.Get(), 0);  // of several files, the first
  }
  OpenMediaFile(first);
  return 0;
}

LRESULT CConverterDlg::OnOpenStartFile(WPARAM, LPARAM) {
  const std::string path = std::exchange(m_strStartFile, {});
  if (!path.empty() && SessionOpen()) OpenMediaFile(path);
  return 0;
}

bool CConverterDlg::AskForMediaFile(std::string& chosen) {
  // The dialog gets 512 bytes; the byte after them stays NUL. A name of fewer than 512
  // characters may take more bytes than that, and comes back cut and unterminated.
  char file[512 + 1] = "";
  char fileTitle[512 + 1] = "";
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = m_hWnd;
  ofn.lpstrFilter = kOpenFilter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof(file) - 1;
  ofn.lpstrFileTitle = fileTitle;
  ofn.nMaxFileTitle = sizeof(fileTitle) - 1;
  ofn.lpstrTitle = kOpenTitle;
  ofn.Flags = OFN_HIDEREADONLY;
  if (!GetOpenFileNameA(&ofn)) return false;
  chosen = file;
  return true;
}

void CConverterDlg::OpenMediaFile(const std::string& path) {
  // The member holds 259 bytes: a longer path changes nothing.
  if (path.size() > kMaxMediaPathChars) {
    MessageBox(PathTooLongText(kChosenPathTooLong).c_str(), "Error", MB_OK);
    return;
  }
  std::memcpy(m_szMediaPath, path.c_str(), path.size() + 1);

  if (!ProbeDuration()) {
    MessageBox(kProbeFailed, "Error", MB_OK);
    return;
  }
  {
    UniqueStdioFile readable(std::fopen(m_szMediaPath, "rb"));
    if (!readable) {
      AfxMessageBox(kCannotRead, MB_OK | MB_ICONEXCLAMATION);
      return;
    }
  }
  m_rtStart = 0;
  char name[kNameBufferBytes] = "";
  GetDisplayName(m_szMediaPath, name);
  m_strTitle = TitleLine(name, 0, m_nDurationSec);
  UpdateData(FALSE);
  SetDlgItemText(IDC_START_CLOCK, ClockText(0).c_str());
  SetDlgItemText(IDC_END_CLOCK, ClockText(m_nDurationSec).c_str());
  ClosePreview();
  StartPreview(m_szMediaPath);
  EnableMediaControls(TRUE);
}
