// Stopping a job: Stop during the first and the last buffer, closing the window, Esc
// and Enter during a job (with the worker's box open, and with the worker stuck), the
// media closed under a starting job, presses that must not start a second job, the
// bound on the data length, the progress a job shows on the bar, and a stream that
// stops delivering: it ends by itself, and Stop and the window's end cut it short.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

#include "convert/JobArithmetic.h"
#include "convert/JobMessages.h"
#include "mainwnd/MediaText.h"
#include "support/PixelCapture.h"
#include "win/PreviewTestHelpers.h"
#include "win/convert_helpers.h"

using namespace convtest;

namespace {
class ConvertStopTest : public OutputFolderTest {
 protected:
  ConvertStopTest() : OutputFolderTest("stop") {}
};

std::uint32_t DataLength(const std::string& path) {
  const auto bytes = ReadBytes(path);
  EXPECT_GE(bytes.size(), 44u);
  if (bytes.size() < 44) return 0;
  ExpectCompleteWav(bytes);
  return U32(bytes, 40);
}

// Opens the minute-long tone and points the output at out.
void Prepare(HWND h, const std::string& out) {
  ASSERT_TRUE(OpenMedia(h, TestMedia("conv-long.mp3")).empty());
  SetOutput(h, out);
}

// Runs rescue on a thread of its own if the test has not ended within the patience: a
// fault that would hang the test makes it fail instead.
class Rescuer {
 public:
  Rescuer(DWORD patienceMs, std::function<void()> rescue)
      : m_thread([this, patienceMs, rescue] {
          const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(patienceMs);
          while (!m_done && std::chrono::steady_clock::now() < until) Sleep(50);
          if (m_done) return;
          rescued = true;
          rescue();
        }) {}
  ~Rescuer() {
    m_done = true;
    m_thread.join();
  }
  std::atomic<bool> rescued{false};

 private:
  std::atomic<bool> m_done{false};
  std::thread m_thread;
};

// Opens the chained Ogg, whose stream delivers its first 10 s and then nothing, neither
// data nor an end, and points the output at out.
void PrepareStalling(HWND h, const std::string& out) {
  const auto boxes = OpenMedia(h, TestMedia("conv-chained.ogg"));
  ASSERT_TRUE(boxes.empty()) << boxes.front();
  SetOutput(h, out);
}

// The stalling stream's first stream as the platform delivers it: over 9 s at 176400 bytes
// a second (44.1 kHz 16-bit stereo).
constexpr std::uint32_t kFirstStreamBytes = 9 * 176400;

// Pumps until the job's bar has moved and then stood still for a second: the stream's
// first 10 s convert in a fraction of that, so the worker now waits for a stalled stream.
bool PumpUntilStalled(HWND h) {
  int shown = 0;
  DWORD since = GetTickCount();
  return PumpUntil(
      [&] {
        const int position = ProgressPos(h);
        if (position != shown) {
          shown = position;
          since = GetTickCount();
        }
        return shown > 0 && GetTickCount() - since >= 1000;
      },
      60000);
}

// A click on a button as the mouse gives it: posted input, which a modal loop dispatches.
void PostClick(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}
}  // namespace

TEST_F(ConvertStopTest, StopDuringTheFirstBufferCompletesTheFileWithThatBuffer) {
  const std::string out = Out("first.wav");
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    Prepare(h, out);
    Click(h, IDC_CONVERT);
    ASSERT_TRUE(PumpUntil([&] { return ItemText(h, IDC_CONVERT) == "Stop"; }));
    Click(h, IDC_CONVERT);  // Stop: before the worker has delivered its first buffer
    EXPECT_EQ(ItemText(h, IDC_CONVERT), "Convert");
    EXPECT_TRUE(dlg.JobActive());  // still finishing its buffer
    EXPECT_TRUE(WaitIdle(dlg));
    ExpectIdle(dlg);
  });
  const std::uint32_t length = DataLength(out);
  EXPECT_GT(length, 0u);
  EXPECT_LE(length, kStepBytes);
}

TEST_F(ConvertStopTest, StopDuringTheLastBufferCompletesTheFile) {
  const std::string out = Out("last.wav");
  CConverterDlg dlg;
  std::int64_t budget = 0;
  int pressedAt = -1;
  RunAsMainWindow(dlg, [&](HWND h) {
    Prepare(h, out);
    // The whole file at 176400 bytes a second (44.1 kHz, 16-bit stereo).
    budget = (dlg.m_rtEnd - dlg.m_rtStart) * 176400 / 10'000'000;
    Click(h, IDC_CONVERT);
    PumpUntil([&] {
      const int pos = ProgressPos(h);
      if (pressedAt < 0 && dlg.m_bStopped == 0 && pos >= 998) {
        pressedAt = pos;
        Click(h, IDC_CONVERT);
      }
      return !dlg.JobActive();
    }, 120000);
    EXPECT_TRUE(WaitIdle(dlg));
    ExpectIdle(dlg);
  });
  EXPECT_GE(pressedAt, 998);
  const std::uint32_t length = DataLength(out);
  EXPECT_GE(length, budget * 998 / 1000);
  EXPECT_LT(length, budget + kStepBytes);
}

// The close box, Esc and Enter during a job: each stops it and waits for its header
// before the window goes (the worker keeps sending while the window waits).
namespace {
struct Ending {
  const char* name;
  UINT message;
  WPARAM command;
};
constexpr Ending kEndings[] = {{"close", WM_CLOSE, 0}, {"Esc", WM_COMMAND, IDCANCEL}, {"Enter", WM_COMMAND, IDOK}};

// Starts a job, lets prepare open its media and wait for its moment, and ends the window
// as ending does; the window must go within the close's bound, with the job ended.
void EndTheWindowDuringAJob(const Ending& e, const std::string& out, const std::function<void(CConverterDlg&)>& open,
                            const std::function<bool(HWND)>& moment) {
  DeleteFileA(out.c_str());
  CConverterDlg dlg;
  DWORD endMs = 0;
  RunAsMainWindow(dlg, [&](HWND h) {
    open(dlg);
    Click(h, IDC_CONVERT);
    ASSERT_TRUE(moment(h));
    const DWORD start = GetTickCount();
    SendMessageA(h, e.message, MAKEWPARAM(e.command, BN_CLICKED), 0);
    endMs = GetTickCount() - start;
    EXPECT_FALSE(dlg.JobActive());
  });
  EXPECT_FALSE(dlg.JobActive());
  EXPECT_FALSE(dlg.WorkerLeftBehind());
  EXPECT_LT(endMs, dlg.m_nStopWaitMs);
}
}  // namespace

TEST_F(ConvertStopTest, ClosingEscAndEnterDuringAJobStopItAndWaitForItsHeader) {
  for (const Ending& e : kEndings) {
    SCOPED_TRACE(e.name);
    const std::string out = Out("ended.wav");
    EndTheWindowDuringAJob(
        e, out, [&](CConverterDlg& dlg) { Prepare(dlg.m_hWnd, out); },
        [](HWND h) { return PumpUntil([&] { return ProgressPos(h) >= 50; }, 60000); });
    const std::uint32_t length = DataLength(out);
    EXPECT_GT(length, 0u);
    EXPECT_LT(length, 60u * 176400u / 2);  // stopped well before the end
  }
}

// Tests named "Stall" leave the platform waiting for a stream that never goes on: they run
// in a process of their own (tests/CMakeLists.txt).
TEST_F(ConvertStopTest, ClosingEscAndEnterDuringAStallCompleteTheWav) {
  for (const Ending& e : kEndings) {
    SCOPED_TRACE(e.name);
    const std::string out = Out("ended-stalled.wav");
    EndTheWindowDuringAJob(
        e, out,
        [&](CConverterDlg& dlg) {
          PrepareStalling(dlg.m_hWnd, out);
          dlg.m_timing.stallMs = 60000;  // the window's end alone ends the wait
        },
        &PumpUntilStalled);
    EXPECT_GE(DataLength(out), kFirstStreamBytes);
  }
}

TEST_F(ConvertStopTest, AStallEndsTheJobWithAWholeWavAndSaysWhere) {
  const std::string out = Out("stalled.wav");
  CConverterDlg dlg;
  std::string media;
  std::vector<ModalAnswerer::Seen> boxes;
  RunAsMainWindow(dlg, [&](HWND h) {
    PrepareStalling(h, out);
    media = dlg.m_szMediaPath;
    dlg.m_timing.stallMs = 2000;
    ModalAnswerer answers;
    answers.PressOnNextBox(IDOK);
    answers.PressOnNextBox(IDOK);  // one more than expected: a failure, not a hang
    ConvertAndWait(dlg);
    PumpPending();
    ExpectIdle(dlg);
    boxes = answers.seen;
  });
  const std::uint32_t length = DataLength(out);
  EXPECT_GE(length, kFirstStreamBytes);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, StalledText(media, ClockText(DataDuration(length, 176400))));
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_FALSE(boxes[0].ownedByMainWindow);
}

TEST_F(ConvertStopTest, StopDuringAStallCompletesTheWavAndTheWindowConvertsTheNextFileWhole) {
  const std::string out = Out("stall-stopped.wav"), next = Out("after-stall.wav");
  CConverterDlg dlg;
  DWORD stopMs = 0;
  std::vector<ModalAnswerer::Seen> boxes;
  RunAsMainWindow(dlg, [&](HWND h) {
    PrepareStalling(h, out);
    dlg.m_timing.stallMs = 60000;  // Stop alone ends the wait
    ModalAnswerer answers;
    answers.PressOnNextBox(IDOK);  // none expected
    Click(h, IDC_CONVERT);
    ASSERT_TRUE(PumpUntilStalled(h));
    const DWORD start = GetTickCount();
    Click(h, IDC_CONVERT);  // Stop
    EXPECT_TRUE(WaitIdle(dlg, 10000));
    stopMs = GetTickCount() - start;
    ASSERT_TRUE(OpenMedia(h, TestMedia("conv-stereo44.mp3")).empty());
    SetOutput(h, next);
    ConvertAndWait(dlg);
    boxes = answers.seen;
  });
  std::printf("The job ended %lu ms after Stop, with the stream stalled.\n", static_cast<unsigned long>(stopMs));
  EXPECT_LT(stopMs, 1500u);
  EXPECT_TRUE(boxes.empty()) << boxes[0].text;
  EXPECT_GE(DataLength(out), kFirstStreamBytes);
  EXPECT_GE(DataLength(next), 1281200u);  // conv-stereo44.wav's 320300 frames of 4 bytes
}

TEST_F(ConvertStopTest, PressesWhileAJobStartsOrFinishesNeverRunTwoJobs) {
  const std::string first = Out("one.wav"), second = Out("two.wav"), third = Out("three.wav");
  CConverterDlg dlg;
  RunAsMainWindow(dlg, [&](HWND h) {
    Prepare(h, first);
    ModalAnswerer answers;
    answers.PressOnNextBox(IDNO);
    // A double click: the job is running from the first press, so the second one stops it,
    // before its worker has delivered anything.
    Click(h, IDC_CONVERT);
    EXPECT_EQ(ItemText(h, IDC_CONVERT), "Stop");
    SetOutput(h, second);
    Click(h, IDC_CONVERT);
    EXPECT_EQ(ItemText(h, IDC_CONVERT), "Convert");
    // A press while the stopped job finishes (it cannot end before this thread pumps):
    // it waits for that job's end, then starts its own.
    SetOutput(h, third);
    Click(h, IDC_CONVERT);
    EXPECT_EQ(ItemText(h, IDC_CONVERT), "Stop");
    EXPECT_TRUE(WaitIdle(dlg));
    ExpectIdle(dlg);
    EXPECT_TRUE(answers.seen.empty());
  });
  const std::uint32_t length = DataLength(first);
  EXPECT_GT(length, 0u);
  EXPECT_LE(length, kStepBytes);
  EXPECT_FALSE(Exists(second));
  EXPECT_GE(DataLength(third), 60u * 176400u);  // the whole minute
}

TEST_F(ConvertStopTest, DataThatWouldPassTheBoundStopsWithAValidHeaderAndAMessage) {
  const std::string out = Out("bound.wav");
  CConverterDlg dlg;
  std::vector<ModalAnswerer::Seen> boxes;
  RunAsMainWindow(dlg, [&](HWND h) {
    Prepare(h, out);
    dlg.m_nMaxDataBytes = 20000;  // stands for the 2 GiB of the signed 32-bit count
    ModalAnswerer answers;
    answers.PressOnNextBox(IDOK);
    ConvertAndWait(dlg);
    PumpPending();
    ExpectIdle(dlg);
    boxes = answers.seen;
  });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_EQ(boxes[0].text, "The range is too long for a WAV file. Only its beginning was converted.");
  EXPECT_FALSE(boxes[0].ownedByMainWindow);
  const std::uint32_t length = DataLength(out);
  EXPECT_LE(length, 20000u);
  EXPECT_GT(length, 20000u - kStepBytes);
}

TEST_F(ConvertStopTest, ClosingThePreviewRightAfterConvertLeavesTheJobItsRange) {
  const std::string out = Out("range.wav");
  CConverterDlg dlg;
  bool stopOnADisabledButton = false;
  RunAsMainWindow(dlg, [&](HWND h) {
    Prepare(h, out);
    dlg.m_rtStart = 10 * kReferenceTimePerSecond;
    dlg.m_rtEnd = 13 * kReferenceTimePerSecond;
    HWND button = GetDlgItem(h, IDC_CONVERT);
    // The job shows its first step only once the media has closed: it cannot end before.
    AtProgress(h, 1, [&] {
      ASSERT_TRUE(PumpUntil([&] { return !IsWindowEnabled(button); }));
      stopOnADisabledButton = ItemText(h, IDC_CONVERT) == "Stop";
    });
    Click(h, IDC_CONVERT);
    // The preview window's close box, before the worker has got far: the media closes.
    SendMessageA(g_pPlayer->m_hWnd, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitIdle(dlg));
    EXPECT_TRUE(g_progressHook.ran);
    ExpectIdle(dlg);
    EXPECT_FALSE(IsWindowEnabled(button));
  });
  EXPECT_TRUE(stopOnADisabledButton);
  const std::uint32_t length = DataLength(out);
  EXPECT_GE(length, 529200u);  // the whole marked range: 3 s at 176400 bytes a second
  EXPECT_LT(length, 529200u + kStepBytes);
}

TEST_F(ConvertStopTest, ClosingWhileTheWorkersBoxIsOpenWaitsForTheAnswerWithTheWindowAlive) {
  const std::string out = Out("box.wav");
  CConverterDlg dlg;
  std::vector<ModalAnswerer::Seen> boxes;
  Rescuer rescuer(30000, [&dlg] {
    for (int i = 0; i < 100 && dlg.JobActive(); ++i, Sleep(50)) ModalAnswerer::PressOnOpenBoxes(IDOK);
  });
  RunAsMainWindow(dlg, [&](HWND h) {
    Prepare(h, out);
    // A posted click reaches the Start Time button...
    dlg.m_rtStart = 123;
    PostClick(h, IDC_START_TIME);
    ASSERT_TRUE(PumpPending());
    ASSERT_EQ(dlg.m_rtStart, 0);
    dlg.m_nMaxDataBytes = 20000;  // the job ends with a box of its own
    // Time enough for the worker's own end after its box, even on a busy machine.
    dlg.m_nStopWaitMs = 1500;
    Click(h, IDC_CONVERT);
    ASSERT_TRUE(PumpUntil([&] { return dlg.m_nWorkerBoxes > 0; }, 60000));
    // ...but not while the close waits. The box is answered by this thread's timer, which
    // fires only while the window handles its messages, once it has been up for longer
    // than the bound (the user reads it): the close's wait goes on meanwhile, and the
    // time the box is up does not count.
    ModalAnswerer answers;
    DWORD boxUp = 0;
    answers.PressOnNextBox(
        IDOK,
        [&] {
          boxUp = GetTickCount();
          dlg.m_rtStart = 123;
          PostClick(h, IDC_START_TIME);
        },
        [&] { return GetTickCount() - boxUp > dlg.m_nStopWaitMs + 500; });
    SendMessageA(h, WM_CLOSE, 0, 0);
    EXPECT_FALSE(dlg.WorkerLeftBehind());  // the close waited for the worker
    boxes = answers.seen;
    EXPECT_EQ(dlg.m_rtStart, 123);
  });
  EXPECT_FALSE(rescuer.rescued);
  EXPECT_FALSE(dlg.JobActive());  // the worker ended on its own, after its box
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "The range is too long for a WAV file. Only its beginning was converted.");
  EXPECT_GT(DataLength(out), 0u);
}

TEST_F(ConvertStopTest, ClosingWhileTheWorkerIsStuckInAPlatformCallEndsTheWindowAfterTheBound) {
  // The output is a pipe that nobody reads: once its buffer is full, a write never returns.
  const std::string pipe = "\\\\.\\pipe\\sonbrel-stuck-" + std::to_string(GetCurrentProcessId());
  UniqueFileHandle server(
      CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr));
  ASSERT_TRUE(server);
  CConverterDlg dlg;
  DWORD closeMs = 0;
  {
    Rescuer rescuer(30000, [&] {
      DisconnectNamedPipe(server.Get());  // the write fails; its box is answered
      for (int i = 0; i < 100 && dlg.JobActive(); ++i, Sleep(50)) ModalAnswerer::PressOnOpenBoxes(IDOK);
    });
    RunAsMainWindow(dlg, [&](HWND h) {
      Prepare(h, pipe);
      dlg.m_nStopWaitMs = 1000;
      Click(h, IDC_CONVERT);
      // Stuck once more bytes wait in the pipe than its buffer holds: a write waits.
      ASSERT_TRUE(PumpUntil([&] {
        DWORD waiting = 0;
        return PeekNamedPipe(server.Get(), nullptr, 0, nullptr, &waiting, nullptr) && waiting > 4096;
      }, 60000));
      const DWORD start = GetTickCount();
      SendMessageA(h, WM_CLOSE, 0, 0);
      closeMs = GetTickCount() - start;
    });
    EXPECT_FALSE(rescuer.rescued);
  }
  std::printf("The window went %lu ms after the close, with the worker stuck (bound %lu ms).\n",
              static_cast<unsigned long>(closeMs), static_cast<unsigned long>(dlg.m_nStopWaitMs));
  EXPECT_TRUE(dlg.WorkerLeftBehind());  // the window went without the worker
  EXPECT_GE(closeMs, dlg.m_nStopWaitMs);
  // The program ends its process here. This one goes on: the write is let fail, its box
  // answered and the worker seen to its end while the dialog it refers to still exists
  // (a process ended under a thread stuck in a write can fault in the platform).
  ModalAnswerer answers;
  answers.PressOnNextBox(IDOK);
  DisconnectNamedPipe(server.Get());
  EXPECT_TRUE(PumpUntil([&] { return !dlg.JobActive(); }, 30000));
}

namespace {
// The positions that reach the bar, in order, seen before the dialog's own handling.
std::vector<int> g_barPositions;
WNDPROC g_barProc = nullptr;
LRESULT CALLBACK RecordingBarProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == PBM_SETPOS) g_barPositions.push_back(static_cast<int>(wp));
  return CallWindowProcA(g_barProc, hwnd, msg, wp, lp);
}

// How many columns of the bar's middle row position fills: those that differ from the
// empty bar.
int DrawnFill(HWND bar, int position) {
  SendMessageA(bar, PBM_SETPOS, 0, 0);
  SettlePainting(bar);
  const PixelImage empty = CaptureClient(bar);
  SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  SettlePainting(bar);
  const PixelImage filled = CaptureClient(bar);
  int columns = 0;
  for (int x = 0; x < filled.width; ++x)
    if (filled.At(x, filled.height / 2) != empty.At(x, empty.height / 2)) ++columns;
  return columns;
}
}  // namespace

// The job sends one position per length of the bar that a person can tell apart, the
// first that fills it, and the reset to 0 last; the lengths it reckons with are the
// bar's own. The bar's length and what each position fills are read off its pixels: it
// fills position / 1000 of its length, rounded to the nearest pixel as MulDiv rounds.
TEST_F(ConvertStopTest, AJobShowsEveryLengthOfTheBarOnceAndLeavesItEmpty) {
  const std::string out = Out("progress.wav");
  CConverterDlg dlg;
  int pixels = 0;
  std::vector<int> positions;
  RunAsMainWindow(dlg, [&](HWND h) {
    HWND bar = GetDlgItem(h, IDC_PROGRESS);
    pixels = DrawnFill(bar, 1000);
    EXPECT_EQ(dlg.m_ctlProgress.GetBarPixels(), pixels);
    for (int position : {1, 250, 500, 750, 999}) EXPECT_EQ(DrawnFill(bar, position), MulDiv(position, pixels, 1000));
    SendMessageA(bar, PBM_SETPOS, 0, 0);

    Prepare(h, out);
    g_barPositions.clear();
    g_barProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingBarProc)));
    ConvertAndWait(dlg);
    PumpPending();  // anything late is handled now
    ExpectIdle(dlg);
    positions = g_barPositions;
  });
  ASSERT_GT(pixels, 100);
  ASSERT_GE(positions.size(), 2u);
  EXPECT_EQ(positions.back(), 0);  // the reset, and nothing after it
  positions.pop_back();
  // A minute of sound passes every position: each length from the first pixel comes with
  // the first position that fills it.
  ASSERT_FALSE(positions.empty());
  const int lastFill = MulDiv(positions.back(), pixels, 1000);
  EXPECT_GE(lastFill, pixels - 1);
  std::vector<int> firstOfEachLength;
  for (int position = 1; position <= 1000; ++position) {
    const int fill = MulDiv(position, pixels, 1000);
    if (fill <= lastFill && fill != MulDiv(position - 1, pixels, 1000)) firstOfEachLength.push_back(position);
  }
  EXPECT_EQ(positions, firstOfEachLength);
}
