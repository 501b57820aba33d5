// Bad input and interruptions: each case ends with the dialog idle, no hang, and no
// file damaged that the user did not agree to replace.
#include <gtest/gtest.h>

#include <cstdlib>

#include "convert/WavFile.h"
#include "win/PreviewTestHelpers.h"
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
    PumpPending();
    ExpectIdle(dlg);
    outcome.convertBoxes = answers.seen;
  });
  return outcome;
}

// The worker's word when the media's audio cannot be had as a stream.
std::string CannotStream(const std::string& media) {
  return "Can not convert " + media +
         ": the installed decoders cannot deliver the audio of this file, or the file is no longer there.";
}

void ExpectWorkerSaysCannotStream(const std::vector<ModalAnswerer::Seen>& boxes, const std::string& media) {
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, CannotStream(media));
  EXPECT_TRUE(IsWorkerBox(boxes[0]));
}

// Presses Convert, which is to start no job, and returns the boxes answered meanwhile
// (one more than the caller expects is answered with OK, so that it fails the test
// instead of hanging it).
std::vector<ModalAnswerer::Seen> ConvertExpectingNoJob(CConverterDlg& dlg, ModalAnswerer& answers) {
  answers.PressOnNextBox(IDOK);
  Click(dlg.m_hWnd, IDC_CONVERT);
  PumpPending();
  EXPECT_FALSE(dlg.JobActive());
  ExpectIdle(dlg);
  return answers.seen;
}

// Opens the short stereo song and points the output at out.
void OpenSongFor(HWND h, const std::string& out) {
  ASSERT_TRUE(OpenMedia(h, TestMedia("conv-stereo44.mp3")).empty());
  SetOutput(h, out);
}

void ExpectDialogBox(const std::vector<ModalAnswerer::Seen>& boxes, const char* text) {
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, text);
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_TRUE(boxes[0].ownedByMainWindow);
}
}  // namespace

TEST_F(ConvertBadInputTest, FilesThatAreNoMediaAreRefusedAndWriteNothing) {
  for (const char* name : {"conv-empty.mp3", "conv-text.mp3"}) {
    SCOPED_TRACE(name);
    const std::string out = Out("nomedia.wav");
    const Outcome o = OpenBadAndConvert(TestMedia(name), out);
    ASSERT_EQ(o.openBoxes.size(), 1u);
    EXPECT_EQ(o.openBoxes[0], kProbeFailed);
    ExpectWorkerSaysCannotStream(o.convertBoxes, TestMedia(name));
    EXPECT_FALSE(Exists(out));
  }
}

TEST_F(ConvertBadInputTest, APathThatDoesNotExistIsRefusedAndWritesNothing) {
  const std::string out = Out("missing.wav");
  const Outcome o = OpenBadAndConvert(folder + "\\no-such-file.mp3", out);
  ASSERT_EQ(o.openBoxes.size(), 1u);
  EXPECT_EQ(o.openBoxes[0], kProbeFailed);
  ExpectWorkerSaysCannotStream(o.convertBoxes, folder + "\\no-such-file.mp3");
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
    const auto wav = ReadBytes(out);
    ExpectCompleteWav(wav);
    EXPECT_GT(wav.size(), 44u);  // what could be decoded is there
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
  // Whether the platform protects the file from its owner (Wine run as root does not):
  // what the user's Yes can do.
  const bool writable =
      static_cast<bool>(UniqueFileHandle(CreateFileA(out.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)));
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
      PumpPending();
      ExpectIdle(dlg);
      boxes = answers.seen;
    });
    ASSERT_GE(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Warning");
    EXPECT_EQ(boxes[0].text, out + " exists. Do you want to replace it?");
    if (answer == IDNO) {
      EXPECT_EQ(boxes.size(), 1u);
      EXPECT_EQ(ReadText(out), "keep me");
    } else if (!writable) {  // the platform protects the file: it is kept whole
      ASSERT_EQ(boxes.size(), 2u);
      EXPECT_EQ(boxes[1].text, "Can not open " + out);
      EXPECT_TRUE(IsWorkerBox(boxes[1]));
      EXPECT_EQ(ReadText(out), "keep me");
    } else {  // the platform lets its owner write it: replaced as agreed
      EXPECT_EQ(boxes.size(), 1u);
      const auto wav = ReadBytes(out);
      ExpectCompleteWav(wav);
      EXPECT_GT(wav.size(), 44u);
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
  // A 64 KiB file system that the test runner mounts where it can (as root).
  const char* disk = std::getenv("SONBREL_FULL_DISK");
  const std::string folder = WindowsPath(disk ? disk : "");
  ULARGE_INTEGER size{};
  if (!disk || !GetDiskFreeSpaceExA(folder.c_str(), nullptr, &size, nullptr) || size.QuadPart > 1024 * 1024)
    GTEST_SKIP() << "no small disk mounted at " << folder;
  const std::string out = folder + "\\full.wav";
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
      boxes = ConvertExpectingNoJob(dlg, answers);
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
    PumpPending();
    EXPECT_FALSE(dlg.JobActive());
    ExpectIdle(dlg);
    ASSERT_EQ(answers.seen.size(), 1u);
    EXPECT_EQ(answers.seen[0].caption, "Error");
    EXPECT_TRUE(answers.seen[0].ownedByMainWindow);
  });
}

TEST_F(ConvertBadInputTest, AVideoWithoutSoundIsReportedAndAnOldOutputStaysAsItWas) {
  const std::string out = Out("no-sound.wav");
  const std::string oldWav = TestMedia("conv-stereo44.wav");
  for (const bool replacing : {false, true}) {
    SCOPED_TRACE(replacing ? "replacing an old output" : "no old output");
    DeleteFileA(out.c_str());
    if (replacing) {
      ASSERT_TRUE(CopyFileA(oldWav.c_str(), out.c_str(), FALSE));
    }
    CConverterDlg dlg;
    std::string media;
    std::vector<ModalAnswerer::Seen> boxes;
    RunAsMainWindow(dlg, [&](HWND h) {
      ASSERT_TRUE(OpenMedia(h, TestMedia("conv-no-sound.avi")).empty());
      media = dlg.m_szMediaPath;
      SetOutput(h, out);
      ModalAnswerer answers;
      if (replacing) answers.PressOnNextBox(IDYES);
      answers.PressOnNextBox(IDOK);
      ConvertAndWait(dlg);
      PumpPending();
      ExpectIdle(dlg);
      boxes = answers.seen;
    });
    if (replacing) {
      ASSERT_FALSE(boxes.empty());
      EXPECT_EQ(boxes[0].caption, "Warning");
      boxes.erase(boxes.begin());
      EXPECT_EQ(ReadBytes(out), ReadBytes(oldWav));  // byte for byte
    } else {
      EXPECT_FALSE(Exists(out));
    }
    ExpectWorkerSaysCannotStream(boxes, media);
  }
}

TEST_F(ConvertBadInputTest, AStreamThatDeliversNoAudioGivesAHeaderAloneAndSaysSo) {
  // Its audio pages are zeros: it opens and reads 20 s long, but no audio comes.
  const std::string out = Out("damaged.wav");
  std::string media = TestMedia("conv-damaged.ogg");
  const Outcome o = OpenBadAndConvert(media, out);
  EXPECT_TRUE(o.openBoxes.empty());
  ASSERT_EQ(o.convertBoxes.size(), 1u);
  EXPECT_TRUE(IsWorkerBox(o.convertBoxes[0]));
  CharLowerA(&media[0]);  // as an opened file's path is kept
  EXPECT_EQ(o.convertBoxes[0].text,
            "Can not convert " + media + ": the installed decoders delivered no audio for this file.");
  const auto wav = ReadBytes(out);
  EXPECT_EQ(wav.size(), 44u);
  ExpectCompleteWav(wav);
}

TEST_F(ConvertBadInputTest, ConvertRefusesNoMediaAndAnEmptyRangeWithoutStartingAJob) {
  const std::string out = Out("refused.wav");
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    {
      // A preview that fails to start leaves the button enabled and no media path.
      ModalAnswerer answers;
      answers.PressOnNextBox(IDOK);
      ASSERT_EQ(StartPreviewOf(dlg, TestMedia("preview-broken.mp3")), 0);
      dlg.EnableMediaControls(TRUE);  // as the opening does after its preview's start, whatever came of it
    }
    ASSERT_TRUE(IsWindowEnabled(GetDlgItem(h, IDC_CONVERT)));
    SetOutput(h, out);
    {
      ModalAnswerer answers;
      answers.PressOnNextBox(IDOK);
      ExpectDialogBox(ConvertExpectingNoJob(dlg, answers), "Please open a Media file first!");
    }

    OpenSongFor(h, out);
    dlg.m_rtStart = dlg.m_rtEnd = 2 * kReferenceTimePerSecond;  // equal times count as wrong
    ModalAnswerer answers;
    answers.PressOnNextBox(IDOK);
    ExpectDialogBox(ConvertExpectingNoJob(dlg, answers), "The Start Time is bigger than the End Time!");
  });
  EXPECT_FALSE(Exists(out));
}

TEST_F(ConvertBadInputTest, MediaClosedWhileTheReplaceQuestionIsUpStartsNoJobAndKeepsTheFile) {
  const std::string out = Out("asked.wav");
  WriteFileText(out, "the user's earlier work");
  CConverterDlg dlg;
  std::vector<ModalAnswerer::Seen> boxes;
  RunAsMainWindow(dlg, [&](HWND h) {
    OpenSongFor(h, out);
    ModalAnswerer answers;
    // The preview window's close box, while the question is up: the main window closes the media.
    answers.PressOnNextBox(IDYES, [] { SendMessageA(g_pPlayer->m_hWnd, WM_CLOSE, 0, 0); });
    answers.PressOnNextBox(IDOK);
    boxes = ConvertExpectingNoJob(dlg, answers);
  });
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, "Warning");
  boxes.erase(boxes.begin());
  ExpectDialogBox(boxes, "Please open a Media file first!");
  EXPECT_EQ(ReadText(out), "the user's earlier work");
}
