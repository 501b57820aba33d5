// Browse: the real save dialog, answered as a user would, and the name rules.
#include <gtest/gtest.h>

#include "app/ConverterApp.h"
#include "app/Settings.h"
#include "mainwnd/ConverterDlg.h"
#include "support/WinTestSupport.h"

namespace {
struct BrowseResult {
  std::string member, shown, stored;
  std::vector<ModalAnswerer::Seen> seen;
};

// Opens the dialog with the output path before, presses Browse and answers the save
// dialog with typed (empty: Cancel).
BrowseResult Browse(const std::string& typed, const std::string& before = "Z:\\tmp\\before.wav") {
  PrepareApp();
  BrowseResult r;
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    dlg.m_strOutputFile = before;
    SetDlgItemTextA(h, IDC_OUTPUT_FILE, before.c_str());
    dlg.EnableMediaControls(TRUE);
    ModalAnswerer answerer;
    answerer.ChooseInNextFileDialog(typed);
    if (typed.size() + 4 > 259) answerer.PressOnNextBox(IDOK);  // the refusal
    Click(h, IDC_BROWSE);
    PumpUntil([&] { return answerer.pending() == 0; }, 3000);
    r.member = dlg.m_strOutputFile;
    r.shown = ItemText(h, IDC_OUTPUT_FILE);
    r.seen = answerer.seen;
    dlg.EndDialog(IDCANCEL);  // leave without the close steps, which would store the path
  });
  r.stored = theApp.GetProfileString(settings::kOptionSection, settings::kOutputFileKey, "<absent>");
  return r;
}
}  // namespace

TEST(Browse, ChosenNameGetsTheWavExtensionAndIsStoredAtOnce) {
  const std::string folder = TempFolder("browse");
  const BrowseResult r = Browse(folder + "\\song.mp3");
  ASSERT_FALSE(r.seen.empty());
  EXPECT_EQ(r.seen[0].caption, "Select Output");
  EXPECT_TRUE(r.seen[0].ownedByMainWindow);
  EXPECT_EQ(r.member, folder + "\\song.wav");
  EXPECT_EQ(r.shown, folder + "\\song.wav");
  EXPECT_EQ(r.stored, folder + "\\song.wav");
}

// The name rules are the portable code's (paths_test.cpp); through the dialog, one name
// typed without an extension, which the save dialog leaves to the program.
TEST(Browse, ANameWithoutExtensionGetsTheWavExtension) {
  const std::string folder = TempFolder("browse-rules");
  EXPECT_EQ(Browse(folder + "\\song").member, folder + "\\song.wav");
}

TEST(Browse, AFolderNamedInAnyScriptIsKept) {
  const std::string folder = TempFolder("browse-script") + u8"\\Записи · 音楽 · été";
  CreateDirectoryW(Wide(folder).c_str(), nullptr);  // its true name, whatever the code page
  // Only a name is typed: the save dialog opens in the folder of the output path, and
  // the name lands there.
  const BrowseResult r = Browse(u8"Запись 日本 🎵.mp3", folder + u8"\\прежний.wav");
  EXPECT_EQ(r.member, folder + u8"\\Запись 日本 🎵.wav");
  EXPECT_EQ(r.shown, r.member);
  EXPECT_EQ(r.stored, r.member);
}

TEST(Browse, CancelChangesNothing) {
  const BrowseResult r = Browse("");
  EXPECT_EQ(r.member, "Z:\\tmp\\before.wav");
  EXPECT_EQ(r.shown, "Z:\\tmp\\before.wav");
  EXPECT_EQ(r.stored, "<absent>");
}

TEST(Browse, APathTooLongToHoldIsRefusedAndNothingChanges) {
  // A name the save dialog accepts (257 characters, no extension) whose ".wav" form
  // would pass 259 characters.
  std::string folder = TempFolder("browse-long");
  while (folder.size() < 200) {
    folder += "\\deeper-folder";
    CreateDirectoryA(folder.c_str(), nullptr);
  }
  const std::string chosen = folder + "\\" + std::string(257 - folder.size() - 1, 'n');
  ASSERT_EQ(chosen.size(), 257u);
  const BrowseResult r = Browse(chosen);
  ASSERT_EQ(r.seen.size(), 2u);
  EXPECT_EQ(r.seen[1].caption, "Error");
  EXPECT_EQ(r.member, "Z:\\tmp\\before.wav");
  EXPECT_EQ(r.stored, "<absent>");
}
