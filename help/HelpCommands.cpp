// Help, Homepage and the update question at close: hand-offs to the help viewer and
// the shell, none of them waited for.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "app/ConverterApp.h"
#include "app/Settings.h"
#include "help/HelpPlatform.h"
#include "help/HelpRules.h"
#include "help/WebLinks.h"
#include "mainwnd/ConverterDlg.h"
#include "winfw/Mbcs.h"
#include "winfw/portable/ModulePath.h"

HelpPlatform SystemHelpPlatform() {
  HelpPlatform platform;
  platform.now = [] { return static_cast<std::int64_t>(std::time(nullptr)); };
  platform.openUrl = [](const char* url) {
    return ShellExecuteA(nullptr, "open", url, nullptr, nullptr, SW_SHOWNORMAL);
  };
  platform.runCommand = [](const char* commandLine, UINT show) { return WinExec(commandLine, show); };
  return platform;
}

HelpPlatform& CurrentHelpPlatform() {
  static HelpPlatform platform = SystemHelpPlatform();
  return platform;
}

namespace {
// The help viewer reads its command line in the system's code page, which may not spell
// every name (under Wine it never does): a folder named outside ASCII is handed over by
// its short name where the file system has one.
std::string ViewerReadablePath(const std::string& path) {
  const bool ascii = std::all_of(path.begin(), path.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  const std::string folder = DirectoryWithBackslash(path, IsAnsiLeadByte);
  if (ascii || folder.empty()) return path;
  const std::wstring wide = AnsiToWide(folder);
  std::vector<wchar_t> shortName(GetShortPathNameW(wide.c_str(), nullptr, 0) + 1);
  const DWORD n = GetShortPathNameW(wide.c_str(), shortName.data(), static_cast<DWORD>(shortName.size()));
  if (n == 0 || n >= shortName.size()) return path;
  return WideToAnsi(shortName.data(), n) + path.substr(folder.size());
}
}  // namespace

void CConverterDlg::OnHelpButton() {
  // The file is not looked for first: a missing help file is the viewer's to report.
  const std::string commandLine = HelpCommandLine(ViewerReadablePath(theApp.m_strHelpFilePath), IsAnsiLeadByte);
  CurrentHelpPlatform().runCommand(commandLine.c_str(), SW_SHOW);
}

void CConverterDlg::OnHomepageButton() { CurrentHelpPlatform().openUrl(kHomePageUrl); }

namespace {
// Shows the question and, on Yes, opens the page; tells the user when no browser starts.
void AskToOpenProductPage(HelpPlatform& platform, const char* productPageUrl) {
  if (MessageBoxA(nullptr, "Do you want to check the lastest version on our website?", "Update the program",
                  MB_YESNO) != IDYES)
    return;
  const HINSTANCE result = platform.openUrl(productPageUrl);
  if (reinterpret_cast<INT_PTR>(result) > 32) return;
  const std::string text = std::string("The Program does not launch your web browser to access ") + kFallbackSiteUrl +
                           " ,\nPlease launch your web browser and input the URL manually.";
  MessageBoxA(nullptr, text.c_str(), "unknown errors", MB_OK);
}

// Marks the question as being up for the lifetime of the object.
class QuestionShowing {
 public:
  static bool Now() { return s_showing; }
  QuestionShowing() { s_showing = true; }
  ~QuestionShowing() { s_showing = false; }
  QuestionShowing(const QuestionShowing&) = delete;
  QuestionShowing& operator=(const QuestionShowing&) = delete;

 private:
  static inline bool s_showing = false;
};
}  // namespace

void PromptUpdateCheck(const char* productPageUrl) {
  // The boxes have no owner, so the main window can be closed again while the question
  // is up; that second close must not stack a second question on the first.
  if (QuestionShowing::Now()) return;

  HelpPlatform& platform = CurrentHelpPlatform();
  const std::int64_t now = platform.now();
  const std::int32_t nowBits = StoredTimeBits(now);
  const auto stored = static_cast<std::int32_t>(
      theApp.GetProfileInt(settings::kSetupSection, settings::kFirstUpdateKey, nowBits));

  const UpdateDecision decision = DecideUpdateQuestion(now, stored);
  if (decision.recordFirstClose)
    theApp.WriteProfileInt(settings::kSetupSection, settings::kFirstUpdateKey, nowBits);
  if (!decision.ask) return;

  {
    QuestionShowing showing;
    AskToOpenProductPage(platform, productPageUrl);
  }
  // Whatever the answer: the next question waits another 180 days.
  theApp.WriteProfileInt(settings::kSetupSection, settings::kFirstUpdateKey, nowBits);
}
