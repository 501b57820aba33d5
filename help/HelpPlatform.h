// What Help, Homepage and the update question ask of the system: the clock, the shell
// and the program starter. Tests put their own in place with ScopedHelpPlatform.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

struct HelpPlatform {
  // Seconds since 1970-01-01 00:00:00 UTC.
  std::function<std::int64_t()> now;
  // ShellExecuteA(no owner, "open", url, no parameters, no directory, SW_SHOWNORMAL).
  std::function<HINSTANCE(const char* url)> openUrl;
  // WinExec(commandLine, show).
  std::function<UINT(const char* commandLine, UINT show)> runCommand;
};

// The real clock, shell and WinExec.
HelpPlatform SystemHelpPlatform();
// The one in use.
HelpPlatform& CurrentHelpPlatform();

// Puts a platform in place for its lifetime and restores the previous one after.
class ScopedHelpPlatform {
 public:
  explicit ScopedHelpPlatform(HelpPlatform platform) : m_saved(CurrentHelpPlatform()) {
    CurrentHelpPlatform() = std::move(platform);
  }
  ~ScopedHelpPlatform() { CurrentHelpPlatform() = std::move(m_saved); }
  ScopedHelpPlatform(const ScopedHelpPlatform&) = delete;
  ScopedHelpPlatform& operator=(const ScopedHelpPlatform&) = delete;

 private:
  HelpPlatform m_saved;
};
