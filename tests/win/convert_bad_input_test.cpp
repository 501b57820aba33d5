// Bad input and interruptions: each case ends with the dialog idle, no hang, and no
// file damaged that the user did not agree to replace.
#include <gtest/gtest.h>

#include <cstdlib>

#include "convert/WavFile.h"
#include "win/convert_helpers.h"

using namespace convtest;

namespace {
class ConvertBadInputTest : public OutputFolderTest {
 protected:
  ConvertBadInputTest() : OutputFolderTest("bad") {}
};

bool IsWorkerBox(const ModalAnswerer::Seen& box) {
  return box.caption == "Error" && !box.ownedByMainWindow && box.threadId != GetCurrentThreadId();
}

void WriteFileText(const std::string& path, const std::string& text) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
}

std::string ReadText(const std::string& path) {
  const auto bytes = ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

// Opens a good file first (so that Convert is enabled), then the bad one, and converts.
// Returns the boxes seen while opening the bad file and while converting.
struct Outcome {
  std::vector<std::string> openBoxes;
  std::vector<ModalAnswerer::Seen> convertBoxes;
};

Outcome OpenBadAndConvert(const std::string& badPath, const std::string& out) {
  Outcome outcome;
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    ASSERT_TRUE(OpenMedia(h, TestMedia("conv-stereo44.mp3")).empty());
    outcome.openBoxes = OpenMedia(h, badPath);
    SetOutput(h, out);
    ModalAnswerer answers;
    answers.PressOnNextBox(IDOK);
    answers.PressOnNextBox(IDOK);
    ConvertAndWait(dlg);
    PumpFor(200);
    ExpectIdle(dlg);
    outcome.convertBoxes = answers.seen;
  });
  return outcome;
}

// The output either does not exist or is a complete WAV file.
void ExpectNoFileOrCompleteWav(const std::string& out) {
  if (!Exists(out)) return;
  ExpectCompleteWav(ReadBytes(out));
}

const char kProbeFailed[] =
    "Cannot open the file and get the total time. You need to install appropriate decoders.\nOr the file is corrupt.";
}  // namespace

TEST_F(ConvertBadInputTest, FilesThatAreNoMediaAreRefusedAndWriteNothing) {
  for (const char* name : {"conv-empty.mp3", "conv-text.mp3"}) {
    SCOPED_TRACE(name);
    const std::string out = Out("nomedia.wav");
    const Outcome o = OpenBadAndConvert(TestMedia(name), out);
    ASSERT_EQ(o.openBoxes.size(), 1u);
    EXPECT_EQ(o.openBoxes[0], kProbeFailed);
    EXPECT_TRUE(o.convertBoxes.empty());  // the stream cannot be opened: nothing is shown
    EXPECT_FALSE(Exists(out));
  }
}

TEST_F(ConvertBadInputTest, APathThatDoesNotExistIsRefusedAndWritesNothing) {
  const std::string out = Out("missing.wav");
  const Outcome o = OpenBadAndConvert(folder + "\\no-such-file.mp3", out);
  ASSERT_EQ(o.openBoxes.size(), 1u);
  EXPECT_EQ(o.openBoxes[0], kProbeFailed);
  EXPECT_TRUE(o.convertBoxes.empty());
  EXPECT_FALSE(Exists(out));
}

TEST_F(ConvertBadInputTest, DamagedMp3sGiveACompleteFileOfWhatCanBeDecoded) {
  for (const char* name : {"conv-truncated.mp3", "conv-garbage.mp3"}) {
    SCOPED_TRACE(name);
    const std::string out = Out("damaged.wav");
    DeleteFileA(out.c_str());
    const Outcome o = OpenBadAndConvert(TestMedia(name), out);
    EXPECT_TRUE(o.openBoxes.empty()) << o.openBoxes.front();
    EXPECT_TRUE(o.convertBoxes.empty());
    ExpectNoFileOrCompleteWav(out);
  }
}

TEST_F(ConvertBadInputTest, OutputThatCannotBeOpenedGivesCanNotOpenFromTheWorker) {
  const std::string missingFolder = folder + "\\no-such-folder\\out.wav";
  for (const std::string& out : {missingFolder, std::string()}) {
    SCOPED_TRACE(out);
    const Outcome o = OpenBadAndConvert(TestMedia("conv-stereo44.mp3"), out);
    ASSERT_EQ(o.convertBoxes.size(), 1u);
    EXPECT_EQ(o.convertBoxes[0].text, "Can not open " + out);
    EXPECT_TRUE(IsWorkerBox(o.convertBoxes[0]));
    if (!out.empty()) {
      EXPECT_FALSE(Exists(out));
    }
  }
}

TEST_F(ConvertBadInputTest, ReadOnlyOutputIsKeptUnlessTheUserAgreesToReplaceIt) {
  const std::string out = Out("readonly.wav");
  WriteFileText(out, "keep me");
  SetFileAttributesA(out.c_str(), FILE_ATTRIBUTE_READONLY);
  for (int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer == IDYES ? "Yes" : "No");
    CConverterDlg dlg;
    std::vector<ModalAnswerer::Seen> boxes;
    RunAsMainWindow(dlg, [&](HWND h) {
      ASSERT_TRUE(OpenMedia(h, TestMedia("conv-stereo44.mp3")).empty());
      SetOutput(h, out);
      ModalAnswerer answers;
      answers.PressOnNextBox(answer);
      answers.PressOnNextBox(IDOK);
      ConvertAndWait(dlg);
      PumpFor(200);
      ExpectIdle(dlg);
      boxes = answers.seen;
    });
    ASSERT_GE(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Warning");
    EXPECT_EQ(boxes[0].text, out + " exists. Do you want to replace it?");
    if (answer == IDNO) {
      EXPECT_EQ(boxes.size(), 1u);
      EXPECT_EQ(ReadText(out), "keep me");
    } else if (boxes.size() == 2) {  // the platform protects the file: it is kept whole
      EXPECT_EQ(boxes[1].text, "Can not open " + out);
      EXPECT_TRUE(IsWorkerBox(boxes[1]));
      EXPECT_EQ(ReadText(out), "keep me");
    } else {  // the platform lets its owner write it (Wine run as root): replaced as agreed
      ExpectCompleteWav(ReadBytes(out));
    }
  }
  SetFileAttributesA(out.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(ConvertBadInputTest, OutputHeldOpenWithoutReadSharingIsNeitherReportedNorDeleted) {
  const std::string out = Out("held.wav");
  WriteFileText(out, "held by another program");
  UniqueFileHandle held(CreateFileA(out.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(held);
  EXPECT_FALSE(CConverterDlg::FileExists(out.c_str()));
  const Outcome o = OpenBadAndConvert(TestMedia("conv-stereo44.mp3"), out);
  ASSERT_EQ(o.convertBoxes.size(), 1u);  // no replace question: it does not count as existing
  EXPECT_EQ(o.convertBoxes[0].text, "Can not open " + out);
  EXPECT_TRUE(IsWorkerBox(o.convertBoxes[0]));
  held.Reset();
  EXPECT_EQ(ReadText(out), "held by another program");
}

TEST_F(ConvertBadInputTest, FullDiskDuringTheDataGivesCanNotWriteAndAnUnpatchedHeader) {
  const char* disk = std::getenv("SONBREL_FULL_DISK");  // a 64 KiB tmpfs mounted by the test runner
  if (!disk || !*disk) GTEST_SKIP() << "no small disk mounted (SONBREL_FULL_DISK)";
  const std::string out = WindowsPath(std::string(disk) + "/full.wav");
  DeleteFileA(out.c_str());
  const Outcome o = OpenBadAndConvert(TestMedia("conv-long.mp3"), out);
  ASSERT_EQ(o.convertBoxes.size(), 1u);
  EXPECT_EQ(o.convertBoxes[0].text, "Can not write " + out);
  EXPECT_TRUE(IsWorkerBox(o.convertBoxes[0]));
  const auto bytes = ReadBytes(out);
  ASSERT_GE(bytes.size(), 44u);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 44, g_wavHeader));  // both lengths still 0
  EXPECT_GT(bytes.size(), 44u);
  DeleteFileA(out.c_str());
}

TEST_F(ConvertBadInputTest, OutputNamingTheMediaFileItselfIsRefusedBeforeAnythingIsDeleted) {
  // The output names the media file in other capitals, Latin or Cyrillic.
  const std::pair<const char*, const char*> spellings[] = {{"Self.MP3", "SELF.mp3"},
                                                           {u8"Сама песня.MP3", u8"САМА ПЕСНЯ.mp3"}};
  for (const auto& [name, other] : spellings) {
    SCOPED_TRACE(name);
    const std::string media = Out(name);
    ASSERT_TRUE(CopyFileA(TestMedia("conv-stereo44.mp3").c_str(), media.c_str(), FALSE));
    const auto before = ReadBytes(media);
    CConverterDlg dlg;
    std::vector<ModalAnswerer::Seen> boxes;
    RunAsMainWindow(dlg, [&](HWND h) {
      ASSERT_TRUE(OpenMedia(h, media).empty());
      SetOutput(h, Out(other));
      ModalAnswerer answers;
      answers.PressOnNextBox(IDOK);
      answers.PressOnNextBox(IDOK);
      Click(h, IDC_CONVERT);
      PumpFor(200);
      EXPECT_FALSE(dlg.m_bJobActive);
      ExpectIdle(dlg);
      boxes = answers.seen;
    });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_TRUE(boxes[0].ownedByMainWindow);
    EXPECT_EQ(ReadBytes(media), before);
  }
}

TEST_F(ConvertBadInputTest, OutputPathOver259CharactersIsRefusedBeforeAJobStarts) {
  const std::string out = folder + "\\" + std::string(260 - folder.size(), 'a') + ".wav";
  ASSERT_GT(out.size(), 259u);
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    ASSERT_TRUE(OpenMedia(h, TestMedia("conv-stereo44.mp3")).empty());
    SetOutput(h, out);
    ModalAnswerer answers;
    answers.PressOnNextBox(IDOK);
    Click(h, IDC_CONVERT);
    PumpFor(200);
    EXPECT_FALSE(dlg.m_bJobActive);
    ExpectIdle(dlg);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].caption, "Error");
    EXPECT_TRUE(answers.seen[0].ownedByMainWindow);
  });
}
