// Conversion benchmark under one program with these modes, each printing key=value lines:
//   sizes            the job's step and the size of the sample it fills
//   bare FILE [BYTES]  the bare platform streaming loop, filling a sample of BYTES (5000
//                    unless given) and counting the fills it got short of that
//   barewrite FILE OUT [BYTES]  the same loop writing each sample to OUT (to tell
//                    writing apart)
//   job FILE OUT [BYTES]  the real conversion job on the real dialog (filling samples of
//                    BYTES if given): its time, its progress messages and the process's
//                    peak memory
//   jobdelay FILE OUT  the same, with the user-interface thread's worst message delay
//                    (a message posted every 10 ms)
//   costs N          what one progress message costs, split into its parts
// scripts/bench-convert.sh runs them and prints the ratios.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/ConverterApp.h"
#include "convert/JobArithmetic.h"
#include "mainwnd/ConverterDlg.h"
#include "media/AudioPassFilter.h"
#include "media/DirectShow.h"
#include "media/SampleFiller.h"
#include "support/WinTestSupport.h"
#include "winfw/ComInit.h"

namespace {
double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

double Seconds(const FILETIME& t) {
  return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 1e-7;
}

// Processor time of this process so far, all threads: user and kernel.
double ProcessCpuSeconds() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  return Seconds(kernel) + Seconds(user);
}

// Processor time of a running thread so far: user and kernel. What the process spent
// beyond its loop's thread is the platform's streaming threads' work.
double ThreadCpuSeconds(HANDLE thread) {
  FILETIME created, exited, kernel, user;
  if (!GetThreadTimes(thread, &created, &exited, &kernel, &user)) return 0;
  return Seconds(kernel) + Seconds(user);
}

// The bare loop; with out, each sample also goes to that file as the job writes it.
int Bare(const char* path, std::uint32_t sampleBytes, const char* out = nullptr) {
  ComInit com;
  const double start = Now();
  const double startCpu = ProcessCpuSeconds();
  const double startThreadCpu = ThreadCpuSeconds(GetCurrentThread());
  ComPtr<IAMMultiMediaStream> am;
  if (FAILED(CreateMultiMediaStream(am))) return 1;
  wchar_t wide[MAX_PATH + 1];
  AnsiPathToWide(path, wide, MAX_PATH + 1);
  am->Initialize(STREAMTYPE_READ, AMMSF_NOGRAPHTHREAD, nullptr);
  am->AddMediaStream(nullptr, &MSPID_PrimaryAudio, 0, nullptr);
  // Opened as the job opens it, so that audio of many channels reaches the loop too.
  if (FAILED(OpenFileWithPcmAdapter(am.Get(), wide)) || FAILED(am->SetState(STREAMSTATE_RUN))) return 1;
  ComPtr<IMediaStream> ms;
  am->GetMediaStream(MSPID_PrimaryAudio, ms.Out());
  ComPtr<IAudioMediaStream> audio;
  audio.QueryFrom(ms.Get());
  ComPtr<IAudioData> data;
  CreateAudioData(data);
  std::vector<BYTE> buffer(sampleBytes);
  WAVEFORMATEX format = {};
  audio->GetFormat(&format);
  data->SetBuffer(sampleBytes, buffer.data(), 0);
  data->SetFormat(&format);
  ComPtr<IAudioStreamSample> sample;
  audio->CreateSample(data.Get(), 0, sample.Out());
  UniqueKernelHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  SampleFiller filler(nullptr, nullptr, INFINITE);  // the bare loop: no stop, no stall bound
  UniqueStdioFile file(out ? std::fopen(out, "wb") : nullptr);
  if (file) std::setvbuf(file.Get(), nullptr, _IOFBF, 64 * 1024);  // as the job writes
  long long bytes = 0, buffers = 0, shortFills = 0;
  double firstFill = 0, longestFill = 0;  // how long the stream kept the loop waiting
  for (;;) {
    const double fillStart = Now();
    const HRESULT hr = filler.Fill(sample.Get(), event.Get());
    const double fill = Now() - fillStart;
    if (buffers == 0) firstFill = fill;
    longestFill = std::max(longestFill, fill);
    if (FAILED(hr) || hr == MS_S_ENDOFSTREAM) break;
    DWORD valid = 0;
    data->GetInfo(nullptr, nullptr, &valid);
    if (file) std::fwrite(buffer.data(), 1, valid, file.Get());
    bytes += valid;
    ++buffers;
    if (valid != sampleBytes) ++shortFills;
  }
  file.Reset();
  std::printf("bare_seconds=%.3f\nbare_cpu_seconds=%.3f\nbare_loop_thread_cpu_seconds=%.3f\n", Now() - start,
              ProcessCpuSeconds() - startCpu, ThreadCpuSeconds(GetCurrentThread()) - startThreadCpu);
  std::printf("bare_bytes=%lld\nbare_buffers=%lld\nbare_short_fills=%lld\n", bytes, buffers, shortFills);
  std::printf("bare_first_fill_ms=%.1f\nbare_longest_fill_ms=%.1f\n", firstFill * 1000, longestFill * 1000);
  // The benchmark script looks at the process's threads from outside a few times a second:
  // its last look comes while the platform's streaming threads still live.
  std::fflush(stdout);
  Sleep(400);
  return 0;
}

// Runs a message loop as a modal loop does (GetMessage handles sent messages at once)
// until done() holds after a posted message.
template <class Done>
void WaitInMessageLoop(Done done) {
  MSG msg;
  while (!done() && GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Handles messages as a modal loop does until thread has ended.
void PumpUntilEnded(HANDLE thread) {
  for (;;) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    if (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0) return;
  }
}

// A message-only window that measures how late the posts of a ticking thread arrive.
std::atomic<double> g_worstDelay{0};
LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_APP) {
    double sent = 0;
    std::memcpy(&sent, &lp, sizeof(sent));
    const double delay = Now() - sent;
    if (delay > g_worstDelay) g_worstDelay = delay;
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// The progress messages that reach the dialog's bar, and the time this thread spends
// handling them, counted under the dialog's own handling of the bar. While the worker
// waits in one of its messages, its processor time so far is read: once it has ended,
// the platform no longer tells it, so the time after its last progress message is left out.
struct BarWatch {
  WNDPROC previous = nullptr;
  int messages = 0;
  double seconds = 0;
  HANDLE worker = nullptr;
  double workerCpuSeconds = 0;
} g_barWatch;
LRESULT CALLBACK WatchBarProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != PBM_SETPOS) return CallWindowProcA(g_barWatch.previous, hwnd, msg, wp, lp);
  if (g_barWatch.worker && InSendMessage()) g_barWatch.workerCpuSeconds = ThreadCpuSeconds(g_barWatch.worker);
  const double start = Now();
  const LRESULT result = CallWindowProcA(g_barWatch.previous, hwnd, msg, wp, lp);
  g_barWatch.seconds += Now() - start;
  ++g_barWatch.messages;
  return result;
}

int Job(const char* path, const char* out, bool measureDelay, std::uint32_t sampleBytes = kJobSampleBytes) {
  PrepareApp();
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &ProbeProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "SonbrelBenchProbe";
  RegisterClassA(&wc);
  HWND probe = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  CConverterDlg dlg;
  dlg.m_nSampleBytes = sampleBytes;
  double seconds = 0, cpuSeconds = 0, uiCpuSeconds = 0;
  int barPixels = 0;
  RunAsMainWindow(dlg, [&](HWND h) {
    barPixels = dlg.m_ctlProgress.GetBarPixels();
    std::strncpy(dlg.m_szMediaPath, path, MAX_PATH - 1);
    if (!dlg.ProbeDuration()) return;
    SetDlgItemTextA(h, IDC_OUTPUT_FILE, out);
    DeleteFileA(out);
    g_barWatch.previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        GetDlgItem(h, IDC_PROGRESS), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchBarProc)));
    // The probe's posts cost the user-interface thread and the platform's server some
    // work of their own: only the runs that measure the delay post them.
    std::atomic<bool> ticking{measureDelay};
    std::thread ticker([&] {
      while (ticking) {
        const double now = Now();
        LPARAM stamp = 0;
        std::memcpy(&stamp, &now, sizeof(stamp));
        PostMessageA(probe, WM_APP, 0, stamp);
        Sleep(10);
      }
    });
    const double start = Now();
    const double startCpu = ProcessCpuSeconds();
    const double startUiCpu = ThreadCpuSeconds(GetCurrentThread());
    SendMessageA(GetDlgItem(h, IDC_CONVERT), BM_CLICK, 0, 0);
    g_barWatch.worker = dlg.m_hConvertThread.Get();
    PumpUntilEnded(dlg.m_hConvertThread.Get());
    seconds = Now() - start;
    cpuSeconds = ProcessCpuSeconds() - startCpu;
    uiCpuSeconds = ThreadCpuSeconds(GetCurrentThread()) - startUiCpu;
    ticking = false;
    ticker.join();
    PumpFor(50);
  });
  PROCESS_MEMORY_COUNTERS pmc = {};
  pmc.cb = sizeof(pmc);
  GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc));
  WIN32_FILE_ATTRIBUTE_DATA attr = {};
  GetFileAttributesExA(out, GetFileExInfoStandard, &attr);
  std::printf("job_seconds=%.3f\njob_file_bytes=%lu\nworst_ui_delay_ms=%.1f\npeak_working_set=%zu\npeak_pagefile=%zu\n",
              seconds, attr.nFileSizeLow, g_worstDelay * 1000.0, static_cast<size_t>(pmc.PeakWorkingSetSize),
              static_cast<size_t>(pmc.PagefileUsage > pmc.PeakPagefileUsage ? pmc.PagefileUsage : pmc.PeakPagefileUsage));
  std::printf("job_worker_cpu_seconds=%.3f\njob_ui_cpu_seconds=%.3f\n", g_barWatch.workerCpuSeconds, uiCpuSeconds);
  std::printf("job_cpu_seconds=%.3f\nbar_pixels=%d\nprogress_messages=%d\nprogress_ui_seconds=%.6f\n", cpuSeconds,
              barPixels, g_barWatch.messages, g_barWatch.seconds);
  return seconds > 0 ? 0 : 1;
}

// Seconds per call of step(i), over count calls.
template <class Step>
double SecondsEach(int count, Step step) {
  const double start = Now();
  for (int i = 0; i < count; ++i) step(i);
  return (Now() - start) / count;
}

// Seconds that a worker thread waits per message it sends to window while this thread
// runs a message loop, as the dialog's modal loop does during a job. As in a job, the
// messages come apart (2 ms), so each finds this thread idle.
double SecondsEachSentFromWorker(HWND window, int count, UINT msg) {
  std::atomic<bool> done{false};
  double waited = 0;
  std::thread sender([&] {
    for (int i = 0; i < count; ++i) {
      const double start = Now();
      SendMessageA(window, msg, static_cast<WPARAM>(i % 1000), 0);
      waited += Now() - start;
      Sleep(2);
    }
    done = true;
    PostMessageA(window, WM_NULL, 0, 0);
  });
  WaitInMessageLoop([&] { return done.load(); });
  sender.join();
  return waited / count;
}

// What one progress message costs, split: the cross-thread send of a message that does
// nothing, the bar's position change handled on its own thread with and without its
// repaint, and the whole message as the worker sends it. The four are measured in turn,
// in ten rounds; the cheapest round of each counts (the machine may be busy).
int MessageCosts(int count) {
  PrepareApp();
  CConverterDlg dlg;
  constexpr int kRounds = 10;
  const int perRound = count / kRounds > 0 ? count / kRounds : 1;
  double noop = 1e9, local = 1e9, localUnpainted = 1e9, sent = 1e9;
  RunAsMainWindow(dlg, [&](HWND h) {
    HWND bar = GetDlgItem(h, IDC_PROGRESS);
    const auto setPos = [&](int i) { SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(i % 1000), 0); };
    for (int round = 0; round < kRounds; ++round) {
      noop = std::min(noop, SecondsEachSentFromWorker(bar, perRound, WM_NULL));
      local = std::min(local, SecondsEach(perRound, setPos));
      SendMessageA(bar, WM_SETREDRAW, FALSE, 0);  // the bar invalidates nothing while redraw is off
      localUnpainted = std::min(localUnpainted, SecondsEach(perRound, setPos));
      SendMessageA(bar, WM_SETREDRAW, TRUE, 0);
      RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      sent = std::min(sent, SecondsEachSentFromWorker(bar, perRound, PBM_SETPOS));
    }
  });
  std::printf("noop_send_seconds=%.9f\nlocal_setpos_seconds=%.9f\nlocal_setpos_unpainted_seconds=%.9f\n"
              "send_seconds=%.9f\n",
              noop, local, localUnpainted, sent);
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  // The sample's size from argument at, if given; else fallback.
  const auto bytesAt = [&](int at, std::uint32_t fallback) {
    return argc > at ? static_cast<std::uint32_t>(std::strtoul(argv[at], nullptr, 10)) : fallback;
  };
  if (mode == "sizes") {
    std::printf("step_bytes=%u\njob_sample_bytes=%u\n", kStepBytes, kJobSampleBytes);
    return 0;
  }
  if (mode == "bare" && argc > 2) return Bare(argv[2], bytesAt(3, kStepBytes));
  if (mode == "barewrite" && argc > 3) return Bare(argv[2], bytesAt(4, kStepBytes), argv[3]);
  if (mode == "job" && argc > 3) return Job(argv[2], argv[3], false, bytesAt(4, kJobSampleBytes));
  if (mode == "jobdelay" && argc > 3) return Job(argv[2], argv[3], true);
  if (mode == "costs") return MessageCosts(argc > 2 ? std::atoi(argv[2]) : 1000);
  std::fprintf(stderr,
               "usage: convert_bench sizes | bare FILE [BYTES] | barewrite FILE OUT [BYTES] | job FILE OUT [BYTES] | "
               "jobdelay FILE OUT | costs N\n");
  return 2;
}
