// Drives a running Sonbrel from outside, for the scripts that show it at work:
//   sonbrel-drive wait            waits until the main window is up
//   sonbrel-drive open <path>     presses Open MP3 File, types the path into the file dialog and
//                                 returns once the opening has ended: the title line changed and the
//                                 media controls enabled (0), or a box came up (1)
//   sonbrel-drive play            presses Play
//   sonbrel-drive title <text>    sets the title line's text (to look at the label alone)
//   sonbrel-drive gettitle        prints the title line's text
//   sonbrel-drive waitfor TITLE [seconds]   waits until a top-level window TITLE exists
//   sonbrel-drive click TITLE ID [seconds]  clicks control ID in window TITLE
//   sonbrel-drive close TITLE [seconds]     sends WM_CLOSE to window TITLE
//   sonbrel-drive key ID VK       presses key VK (a number) in control ID of the main window (0: the window)
//   sonbrel-drive settext ID TEXT sets the text of control ID of the main window
//   sonbrel-drive waitprogress [seconds]    waits until the progress bar has moved
//   sonbrel-drive waitstill [seconds]       waits until the progress bar has moved and then stood
//                                 still for a second: the job waits for a stream that stalled
//   sonbrel-drive waitidle [seconds]        waits until the job has ended (the button reads "Convert")
//   sonbrel-drive press ID        posts the click of button ID to the main window, enabled or not
//   sonbrel-drive send ID         sends it, and returns once the window has handled it: 1, naming it,
//                                 when a dialog of the program came up meanwhile (it is cancelled)
//   sonbrel-drive waitdisabled ID [seconds] waits until control ID of the main window is disabled
//   sonbrel-drive cancelend [end] the system calls an end of the session off, during a job: the
//                                 window must agree to the end, and the job go on; with "end", the
//                                 session then ends (WM_QUERYENDSESSION, WM_ENDSESSION true, as the
//                                 system sends them) the moment the job is seen going on
//   sonbrel-drive pipe NAME SECONDS         holds \\.\pipe\NAME open for writers and never reads it;
//                                 prints "full" once a write waits on it
//   sonbrel-drive hold PATH       once the job has begun, holds the main window's thread, so that
//                                 the job waits at its next step with PATH open; the window is then
//                                 titled "Sonbrel (held)". Fails unless PATH is then open for writing
//                                 and a reader that lets writers be can still open it
//   sonbrel-drive release         lets the held window go on, titled "Sonbrel" again
//   sonbrel-drive boxtext TITLE   prints the text of message box TITLE
// Exit code 0 on success, 1 when the window or a dialog did not show up, 2 for bad usage.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "res/resource.h"
#include "winfw/UniqueHandle.h"

namespace {
constexpr DWORD kPatienceMs = 20000;
constexpr int kFileNameBox = 0x47C;
constexpr int kMessageBoxText = 0xFFFF;

// Polls done() until it holds (true) or timeoutMs have passed (false).
template <class Done>
bool WaitUntil(DWORD timeoutMs, Done done) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(50);
  }
  return true;
}

HWND WaitForMainWindow(DWORD timeoutMs) {
  HWND main = nullptr;
  const bool shown = WaitUntil(timeoutMs, [&main] {
    main = FindWindowA("#32770", "Sonbrel");
    return main && IsWindowVisible(main);
  });
  return shown ? main : nullptr;
}

// A visible dialog of the program other than the main window and the one left alone
// (ignored), holding control wantedItem (0: any dialog).
struct Search {
  DWORD process;
  HWND main;
  HWND found;
  int wantedItem;
  HWND ignored = nullptr;
};

BOOL CALLBACK FindDialogWithItem(HWND hwnd, LPARAM lp) {
  Search* search = reinterpret_cast<Search*>(lp);
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  if (hwnd == search->main || hwnd == search->ignored || process != search->process || !IsWindowVisible(hwnd))
    return TRUE;
  char cls[16] = {};
  GetClassNameA(hwnd, cls, sizeof(cls));
  if (search->wantedItem ? !GetDlgItem(hwnd, search->wantedItem) : std::strcmp(cls, "#32770") != 0) return TRUE;
  search->found = hwnd;
  return FALSE;
}

HWND FindDialog(HWND main, int item, HWND ignored = nullptr) {
  Search search{0, main, nullptr, item, ignored};
  GetWindowThreadProcessId(main, &search.process);
  EnumWindows(&FindDialogWithItem, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForDialog(HWND main, int item, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(timeoutMs, [&] { return (found = FindDialog(main, item)) != nullptr; });
  return found;
}

void Press(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

std::string Text(HWND hwnd) {
  char text[1024] = {};
  GetWindowTextA(hwnd, text, sizeof(text));
  return text;
}

// The title line, asked of the label itself: it keeps its own copy of the text.
std::string TitleLine(HWND main) {
  char title[1024] = {};
  SendMessageA(GetDlgItem(main, IDC_TITLE), WM_GETTEXT, sizeof(title), reinterpret_cast<LPARAM>(title));
  return title;
}

LRESULT ProgressPos(HWND main) { return SendMessageA(GetDlgItem(main, IDC_PROGRESS), PBM_GETPOS, 0, 0); }

HWND WaitForTitle(const char* title, DWORD seconds) {
  HWND hwnd = nullptr;
  WaitUntil(seconds * 1000, [&] { return (hwnd = FindWindowA(nullptr, title)) != nullptr; });
  return hwnd;
}

// waitfor / click / close on any window of the given title.
int OnWindow(int argc, char** argv) {
  const std::string verb = argv[1];
  const bool click = verb == "click";
  if (argc < 3 || (click && argc < 4)) return 2;
  const int secondsArg = click ? 4 : 3;
  const DWORD seconds = argc > secondsArg ? static_cast<DWORD>(std::strtoul(argv[secondsArg], nullptr, 10)) : 20;
  HWND window = WaitForTitle(argv[2], seconds);
  if (!window) {
    std::fprintf(stderr, "no window \"%s\"\n", argv[2]);
    return 1;
  }
  if (verb == "close") {
    PostMessageA(window, WM_CLOSE, 0, 0);
  } else if (click) {
    HWND button = GetDlgItem(window, std::atoi(argv[3]));
    if (!button) {
      std::fprintf(stderr, "no control %s in \"%s\"\n", argv[3], argv[2]);
      return 1;
    }
    DWORD_PTR result = 0;
    SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
  }
  return 0;
}

constexpr char kHeldTitle[] = "Sonbrel (held)";

bool CanOpenForReading(const char* path, DWORD share) {
  HANDLE file = CreateFileA(path, GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

HANDLE OpenWindowThread(HWND window) {
  return OpenThread(THREAD_SUSPEND_RESUME, FALSE, GetWindowThreadProcessId(window, nullptr));
}

int Hold(HWND main, const char* path) {
  if (!WaitUntil(kPatienceMs, [main] { return ProgressPos(main) > 0; })) {
    std::fprintf(stderr, "the job did not begin\n");
    return 1;
  }
  SetWindowTextA(main, kHeldTitle);
  HANDLE thread = OpenWindowThread(main);
  if (!thread || SuspendThread(thread) == static_cast<DWORD>(-1)) return 1;
  CloseHandle(thread);
  // A writer holds the file when a reader that lets no one write cannot open it.
  if (CanOpenForReading(path, FILE_SHARE_READ)) {
    std::fprintf(stderr, "the job no longer writes %s\n", path);
    return 1;
  }
  if (!CanOpenForReading(path, FILE_SHARE_READ | FILE_SHARE_WRITE)) {
    std::fprintf(stderr, "a reader cannot open %s while the job writes it\n", path);
    return 1;
  }
  return 0;
}

int Release() {
  HWND held = FindWindowA(nullptr, kHeldTitle);
  HANDLE thread = held ? OpenWindowThread(held) : nullptr;
  if (!thread) {
    std::fprintf(stderr, "no window is held\n");
    return 1;
  }
  ResumeThread(thread);
  CloseHandle(thread);
  SetWindowTextA(held, "Sonbrel");
  return 0;
}

int Open(HWND main, const char* path) {
  const std::string before = TitleLine(main);
  Press(main, IDC_OPEN);
  HWND files = WaitForDialog(main, kFileNameBox, 5000);
  if (!files) {
    std::fprintf(stderr, "Open MP3 File showed no file dialog\n");
    return 1;
  }
  HWND nameBox = GetDlgItem(files, kFileNameBox);
  HWND edit = FindWindowExA(nameBox, nullptr, "Edit", nullptr);
  SetWindowTextA(edit ? edit : nameBox, path);
  Press(files, IDOK);
  // The opening ends with the new title and the media controls enabled; a box means the
  // file could not be opened or played.
  HWND box = nullptr;
  const bool ended = WaitUntil(kPatienceMs, [&] {
    box = FindDialog(main, kMessageBoxText);
    return box || (TitleLine(main) != before && IsWindowEnabled(GetDlgItem(main, IDC_PLAY)));
  });
  if (box) {
    std::fprintf(stderr, "Sonbrel says: %s\n", Text(GetDlgItem(box, kMessageBoxText)).c_str());
    Press(box, IDOK);
    return 1;
  }
  if (!ended) std::fprintf(stderr, "the opening of %s did not end\n", path);
  return ended ? 0 : 1;
}

// Sends the click from a thread of its own, so that a dialog it brings up is seen (and
// cancelled) here while the send waits for it. A dialog up before the click is left alone.
int Send(HWND main, int id) {
  HWND earlier = FindDialog(main, 0);
  struct Click {
    HWND main;
    int id;
  } click{main, id};
  UniqueKernelHandle sender(CreateThread(nullptr, 0, [](void* p) -> DWORD {
    const Click* c = static_cast<const Click*>(p);
    SendMessageA(c->main, WM_COMMAND, MAKEWPARAM(c->id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(c->main, c->id)));
    return 0;
  }, &click, 0, nullptr));
  int status = 0;
  const bool handled = WaitUntil(kPatienceMs, [&] {
    if (HWND dialog = FindDialog(main, 0, earlier)) {
      std::fprintf(stderr, "the click of %d brought up \"%s\"\n", id, Text(dialog).c_str());
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      status = 1;
    }
    return WaitForSingleObject(sender.Get(), 0) == WAIT_OBJECT_0;
  });
  if (!handled) std::fprintf(stderr, "the click of %d was not handled\n", id);
  return handled ? status : 1;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: sonbrel-drive wait | open <path> | play | title <text> | gettitle | "
                 "waitfor|close TITLE [seconds] | click TITLE ID [seconds] | key ID VK | settext ID TEXT | "
                 "waitprogress [seconds] | waitstill [seconds] | waitidle [seconds] | press ID | send ID | waitdisabled ID [seconds] | cancelend [end] | "
                 "pipe NAME SECONDS | hold PATH | release | boxtext TITLE\n");
    return 2;
  }
  const std::string command = argv[1];
  if (command == "waitfor" || command == "click" || command == "close") return OnWindow(argc, argv);
  if (command == "release") return Release();
  if (command == "boxtext" && argc == 3) {
    HWND box = WaitForTitle(argv[2], 20);
    if (!box) return 1;
    std::printf("%s\n", Text(GetDlgItem(box, kMessageBoxText)).c_str());
    return 0;
  }
  if (command == "pipe" && argc == 4) {
    // A file whose writes stop returning once its small buffer is full.
    const std::string name = std::string("\\\\.\\pipe\\") + argv[2];
    HANDLE pipe = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0,
                                   nullptr);
    if (pipe == INVALID_HANDLE_VALUE) return 1;
    // Full: more bytes wait than the buffer holds, so that a write waits for a reader.
    const DWORD lifeMs = static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)) * 1000;
    if (WaitUntil(lifeMs, [pipe] {
          DWORD waiting = 0;
          return PeekNamedPipe(pipe, nullptr, 0, nullptr, &waiting, nullptr) && waiting > 4096;
        })) {
      std::printf("full\n");
      std::fflush(stdout);
      Sleep(lifeMs);  // held until the script that started it ends it
    }
    CloseHandle(pipe);
    return 0;
  }
  HWND main = WaitForMainWindow(kPatienceMs);
  if (!main) {
    std::fprintf(stderr, "Sonbrel's main window did not show up\n");
    return 1;
  }
  if (command == "wait") return 0;
  if (command == "open" && argc == 3) return Open(main, argv[2]);
  if (command == "hold" && argc == 3) return Hold(main, argv[2]);
  if (command == "play") {
    Press(main, IDC_PLAY);
    return 0;
  }
  if (command == "title" && argc == 3) {
    SetDlgItemTextA(main, IDC_TITLE, argv[2]);
    return 0;
  }
  if (command == "key" && argc == 4) {
    const int id = std::atoi(argv[2]);
    HWND target = id ? GetDlgItem(main, id) : main;
    const WPARAM key = static_cast<WPARAM>(std::atoi(argv[3]));
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
    return 0;
  }
  if (command == "settext" && argc == 4) {
    SetDlgItemTextA(main, std::atoi(argv[2]), argv[3]);
    return 0;
  }
  if (command == "waitprogress") {
    const DWORD seconds = argc > 2 ? static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)) : 20;
    return WaitUntil(seconds * 1000, [main] { return ProgressPos(main) > 0; }) ? 0 : 1;
  }
  if (command == "waitstill") {
    const DWORD seconds = argc > 2 ? static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)) : 60;
    LRESULT shown = 0;
    DWORD since = GetTickCount();
    return WaitUntil(seconds * 1000, [&] {
             const LRESULT position = ProgressPos(main);
             if (position != shown) {
               shown = position;
               since = GetTickCount();
             }
             return shown > 0 && GetTickCount() - since >= 1000;
           })
               ? 0
               : 1;
  }
  if (command == "waitidle") {
    const DWORD seconds = argc > 2 ? static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10)) : 60;
    return WaitUntil(seconds * 1000, [main] { return Text(GetDlgItem(main, IDC_CONVERT)) == "Convert"; }) ? 0 : 1;
  }
  if (command == "press" && argc == 3) {
    Press(main, std::atoi(argv[2]));
    return 0;
  }
  if (command == "send" && argc == 3) return Send(main, std::atoi(argv[2]));
  if (command == "waitdisabled" && argc >= 3) {
    HWND control = GetDlgItem(main, std::atoi(argv[2]));
    const DWORD seconds = argc > 3 ? static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)) : 20;
    return WaitUntil(seconds * 1000, [control] { return !IsWindowEnabled(control); }) ? 0 : 1;
  }
  if (command == "cancelend") {
    DWORD_PTR agreed = 0;
    SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &agreed);
    SendMessageTimeoutA(main, WM_ENDSESSION, FALSE, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    const LRESULT before = ProgressPos(main);
    const bool goesOn = WaitUntil(20000, [&] { return ProgressPos(main) > before; });
    if (!agreed) std::fprintf(stderr, "the window did not agree to the end of the session\n");
    if (!goesOn) std::fprintf(stderr, "the job did not go on after the end was called off\n");
    if (agreed && goesOn && argc > 2 && std::string(argv[2]) == "end") {
      // The program ends its process while it handles the end: these sends fail then.
      SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
      SendMessageTimeoutA(main, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    }
    return agreed && goesOn ? 0 : 1;
  }
  if (command == "gettitle") {
    std::printf("%s\n", TitleLine(main).c_str());
    return 0;
  }
  std::fprintf(stderr, "unknown command: %s\n", command.c_str());
  return 2;
}
