#include <windows.h>

#include <commdlg.h>
#include <shlobj.h>

#include "app/ConverterApp.h"
#include "convert/OutputPathRules.h"
#include "mainwnd/ConverterDlg.h"
#include "media/MediaPaths.h"
#include "winfw/Mbcs.h"
#include "winfw/UniqueHandle.h"

namespace {
using GetFolderPathFn = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPSTR);

constexpr char kNoFolderFunction[] = "Can not get SHGetFolderPathA!";
constexpr char kNoMusicFolder[] = "Can not get My Music directory!";
constexpr char kPathTooLong[] = "The chosen path is too long.";

// A stored path the program cannot hold is ignored in favour of the default.
std::string StoredPath(const char* section, const char* key, const std::string& defaultPath) {
  const std::string stored = theApp.GetProfileString(section, key, defaultPath.c_str());
  return FitsPathLimit(stored) ? stored : defaultPath;
}
}  // namespace

std::string CConverterDlg::GetDefaultOutputPath(const char* section, const char* key, const char* fallback,
                                                int folder) {
  if (m_osvi.dwMajorVersion < 6) return StoredPath(section, key, fallback);

  UniqueModule shell(LoadLibraryA("shell32.dll"));
  if (!shell) {
    MessageBox(kNoFolderFunction, "Error", MB_OK);
    return StoredPath(section, key, fallback);
  }
  const auto getFolderPath =
      reinterpret_cast<GetFolderPathFn>(reinterpret_cast<void*>(GetProcAddress(shell.Get(), "SHGetFolderPathA")));
  if (!getFolderPath) {
    MessageBox(kNoFolderFunction, "Error", MB_OK);
    return StoredPath(section, key, fallback);
  }
  // One byte more than the call fills: a folder whose name takes more bytes than it has
  // room for comes back cut and unterminated, and reads here as filling the room.
  char music[MAX_PATH + 1] = {};
  if (getFolderPath(m_hWnd, folder, nullptr, SHGFP_TYPE_CURRENT, music) != 0) {
    MessageBox(kNoMusicFolder, "Error", MB_OK);
    return StoredPath(section, key, fallback);
  }
  std::string defaultPath = std::string(music) + GetFileNamePart(fallback, IsAnsiLeadByte);
  if (!FitsPathLimit(defaultPath)) defaultPath = fallback;  // a music folder too deep to hold
  return StoredPath(section, key, defaultPath);
}

void CConverterDlg::OnBrowse() {
  const std::string initialFolder = BrowseInitialFolder(m_strOutputFile);
  // As for the open dialog: 512 bytes for the dialog, and a NUL after them that stays.
  char file[512 + 1] = "*.*";
  char fileTitle[512 + 1] = "";
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = m_hWnd;
  ofn.lpstrFilter = "Wav file\0*.wav\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof(file) - 1;
  ofn.lpstrFileTitle = fileTitle;
  ofn.nMaxFileTitle = sizeof(fileTitle) - 1;
  ofn.lpstrInitialDir = initialFolder.c_str();
  ofn.lpstrTitle = "Select Output";
  ofn.Flags = OFN_HIDEREADONLY;
  if (!GetSaveFileNameA(&ofn)) return;
  if (!SessionOpen()) return;  // the window began to end while the dialog was up

  const std::string chosen = WavNameFor(file, IsAnsiLeadByte);
  if (!FitsPathLimit(chosen)) {
    MessageBox(PathTooLongText(kPathTooLong).c_str(), "Error", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  m_strOutputFile = chosen;
  StoreOutputPath();
  SetDlgItemText(IDC_OUTPUT_FILE, m_strOutputFile.c_str());
}
