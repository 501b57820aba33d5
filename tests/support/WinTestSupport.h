// Helpers for the Windows tests: the application object, the modal-dialog driver,
// an answerer for message boxes and common dialogs, and the test media.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

class CDialog;

// Points the application object at this test program (name, instance, registry key)
// and clears the program's settings key.
void PrepareApp();
// Deletes HKCU\software\Travenor\<application name>.
void ClearSettings();

// Windows path of a file made by make-test-media.sh.
std::string TestMedia(const char* name);
// What opening says of a file the platform cannot render (the duration probe failed).
inline constexpr char kProbeFailed[] =
    "Cannot open the file and get the total time. You need to install appropriate decoders.\nOr the file is corrupt.";
// A fresh empty folder for one test's output (no trailing \), under SONBREL_TEST_TMP
// (else Z:\tmp\sonbrel-tests).
std::string TempFolder(const char* name);
// The Windows path (under Z:) of a Unix path.
std::string WindowsPath(const std::string& unixPath);
// Unix view of a Windows path under Z:.
std::string UnixPath(const std::string& windowsPath);
// The Windows path of the built program (SONBREL_PROGRAM).
std::string ProgramPath();

// UTF-8 text (as the test sources spell it) in UTF-16.
std::wstring Wide(const std::string& utf8);

// Handles messages for ms milliseconds.
void PumpFor(DWORD ms);
// Handles messages until done() or the time-out; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
// Handles the messages waiting for this thread until none is left (timers aside, which
// never run out); false when they still come after 10 s.
bool PumpPending();

// Runs dlg modally as the application's main window, as the program runs its main
// dialog, and calls script once the dialog is up (inside its modal loop). The script
// ends the dialog itself, or the driver closes it with WM_CLOSE afterwards. With
// autoClose false the script must end the dialog itself (for instance by a key that the
// dialog's own message loop translates). The main window is cleared again on every
// way out.
INT_PTR RunAsMainWindow(CDialog& dlg, const std::function<void(HWND)>& script, bool autoClose = true);

// Clicks a button of a dialog as the user would (BM_CLICK, so BN_CLICKED reaches the parent).
void Click(HWND dialog, int id);
std::string ItemText(HWND dialog, int id);
bool Enabled(HWND dialog, int id);
// A window's text in UTF-8, read in UTF-16 whatever the code page.
std::string WindowTitle(HWND hwnd);

// Answers message boxes and open/save dialogs of this process, in the order they come:
// the one way the tests answer them. A box that comes when no answer is left stays up.
class ModalAnswerer {
 public:
  struct Seen {
    std::string caption;
    std::string text;
    bool ownedByMainWindow;
    DWORD threadId;
    RECT rect;  // where it stood on the screen
    HWND owner;
    bool yes, no, ok;  // the buttons it has
    bool icon;         // whether it shows an icon
  };
  // Of this process, or of the process given (the real program started by a test).
  explicit ModalAnswerer(DWORD processId = GetCurrentProcessId());
  ~ModalAnswerer();
  ModalAnswerer(const ModalAnswerer&) = delete;
  ModalAnswerer& operator=(const ModalAnswerer&) = delete;

  // The next message box is answered with this button (IDOK, IDYES, IDNO...); with
  // first, that runs once the box is up; with until, the box stays up (the timer looking
  // again at every tick) until it holds.
  void PressOnNextBox(int button, std::function<void()> first = nullptr, std::function<bool()> until = nullptr);
  // The next file dialog gets this path typed in and OK pressed (empty: Cancel).
  void ChooseInNextFileDialog(const std::string& path);
  // The next dialog with this caption gets this button pressed; its static texts are
  // recorded in seen.text, one per line.
  void PressInNextDialog(const std::string& caption, int button);

  std::vector<Seen> seen;
  int pending() const { return static_cast<int>(m_answers.size()); }
  // Forgets the answers left and the boxes seen.
  void Reset();
  // Presses button on every message box of this process that is up now: for a thread
  // other than the one whose timer answers (a rescue when that one is stuck).
  static void PressOnOpenBoxes(int button);

 private:
  enum class Kind { MessageBox, FileDialog, Dialog };
  struct Answer {
    Kind kind;
    int button;
    std::string text;  // the path to type, or the dialog's caption
    std::function<void()> first;
    std::function<bool()> until;
  };
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  void Poll();
  std::vector<Answer> m_answers;
  DWORD m_nProcessId;
  UINT_PTR m_timer = 0;
  bool m_polling = false;  // a first() that handles messages must not answer twice
};
