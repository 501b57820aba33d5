// Drives a running program's windows from outside, for scripts that show it working:
//   press_button wait  TITLE [seconds]      waits until a top-level window TITLE exists
//   press_button click TITLE ID [seconds]   clicks control ID in window TITLE
//   press_button close TITLE [seconds]      sends WM_CLOSE to window TITLE
// Exits 0 on success, 1 when the window did not come in time, 2 on bad usage.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
HWND WaitForWindow(const char* title, DWORD seconds) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND hwnd = FindWindowA(nullptr, title)) return hwnd;
    if (GetTickCount() - start >= seconds * 1000) return nullptr;
    Sleep(100);
  }
}

DWORD Seconds(int argc, char** argv, int index) {
  return argc > index ? static_cast<DWORD>(std::strtoul(argv[index], nullptr, 10)) : 20;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: press_button wait|click|close TITLE [ID] [seconds]\n");
    return 2;
  }
  const std::string verb = argv[1];
  const char* title = argv[2];
  const bool click = verb == "click";
  if (click && argc < 4) return 2;
  HWND window = WaitForWindow(title, Seconds(argc, argv, click ? 4 : 3));
  if (!window) {
    std::fprintf(stderr, "no window \"%s\"\n", title);
    return 1;
  }
  if (verb == "close") {
    PostMessageA(window, WM_CLOSE, 0, 0);
  } else if (click) {
    HWND button = GetDlgItem(window, std::atoi(argv[3]));
    if (!button) {
      std::fprintf(stderr, "no control %s in \"%s\"\n", argv[3], title);
      return 1;
    }
    DWORD_PTR result = 0;
    SendMessageTimeoutA(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &result);
  } else if (verb != "wait") {
    return 2;
  }
  return 0;
}
