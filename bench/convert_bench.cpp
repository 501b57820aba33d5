// Conversion benchmark under one program with three modes, each printing key=value lines:
//   bare FILE        the bare platform streaming loop with the same 5000-byte buffer
//   barewrite FILE OUT  the same loop writing each buffer to OUT (to tell writing apart)
//   job FILE OUT     the real conversion job on the real dialog, with the user-interface
//                    thread's worst message delay (a message posted every 10 ms) and the
//                    process's peak memory
//   sendcost N       the cost of one progress message sent from a worker thread
// scripts/bench-convert.sh runs them and prints the ratios.
#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "app/ConverterApp.h"
#include "convert/JobArithmetic.h"
#include "mainwnd/ConverterDlg.h"
#include "media/DirectShow.h"
#include "support/WinTestSupport.h"
#include "winfw/ComInit.h"

namespace {
double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

// The bare loop; with out, each buffer also goes to that file as the job writes it.
int Bare(const char* path, const char* out = nullptr) {
  ComInit com;
  const double start = Now();
  ComPtr<IAMMultiMediaStream> am;
  if (FAILED(CreateMultiMediaStream(am))) return 1;
  wchar_t wide[MAX_PATH + 1];
  AnsiPathToWide(path, wide, MAX_PATH + 1);
  am->Initialize(STREAMTYPE_READ, AMMSF_NOGRAPHTHREAD, nullptr);
  am->AddMediaStream(nullptr, &MSPID_PrimaryAudio, 0, nullptr);
  if (FAILED(am->OpenFile(wide, AMMSF_RUN))) return 1;
  ComPtr<IMediaStream> ms;
  am->GetMediaStream(MSPID_PrimaryAudio, ms.Out());
  ComPtr<IAudioMediaStream> audio;
  audio.QueryFrom(ms.Get());
  ComPtr<IAudioData> data;
  CreateAudioData(data);
  static BYTE buffer[kSampleBufferBytes];
  WAVEFORMATEX format = {};
  audio->GetFormat(&format);
  data->SetBuffer(kSampleBufferBytes, buffer, 0);
  data->SetFormat(&format);
  ComPtr<IAudioStreamSample> sample;
  audio->CreateSample(data.Get(), 0, sample.Out());
  UniqueKernelHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  SampleFiller filler;
  UniqueStdioFile file(out ? std::fopen(out, "wb") : nullptr);
  if (file) std::setvbuf(file.Get(), nullptr, _IOFBF, 64 * 1024);  // as the job writes
  long long bytes = 0, buffers = 0;
  for (;;) {
    const HRESULT hr = filler.Fill(sample.Get(), event.Get());
    if (FAILED(hr) || hr == MS_S_ENDOFSTREAM) break;
    DWORD valid = 0;
    data->GetInfo(nullptr, nullptr, &valid);
    if (file) std::fwrite(buffer, 1, valid, file.Get());
    bytes += valid;
    ++buffers;
  }
  file.Reset();
  std::printf("bare_seconds=%.3f\nbare_bytes=%lld\nbare_buffers=%lld\n", Now() - start, bytes, buffers);
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

int Job(const char* path, const char* out) {
  PrepareApp();
  WNDCLASSA wc = {};
  wc.lpfnWndProc = &ProbeProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "SonbrelBenchProbe";
  RegisterClassA(&wc);
  HWND probe = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  CConverterDlg dlg;
  double seconds = 0;
  RunAsMainWindow(dlg, [&](HWND h) {
    std::strncpy(dlg.m_szMediaPath, path, MAX_PATH - 1);
    if (!dlg.ProbeDuration()) return;
    SetDlgItemTextA(h, IDC_OUTPUT_FILE, out);
    DeleteFileA(out);
    std::atomic<bool> ticking{true};
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
    SendMessageA(GetDlgItem(h, IDC_CONVERT), BM_CLICK, 0, 0);
    WaitInMessageLoop([&] { return !dlg.m_bJobActive; });
    seconds = Now() - start;
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
  return seconds > 0 ? 0 : 1;
}

// One progress message sent to the dialog's bar from a worker while the dialog pumps.
int SendCost(int count) {
  PrepareApp();
  CConverterDlg dlg;
  double perSend = 0;
  RunAsMainWindow(dlg, [&](HWND h) {
    HWND bar = GetDlgItem(h, IDC_PROGRESS);
    std::atomic<bool> done{false};
    double start = 0, end = 0;
    std::thread sender([&] {
      start = Now();
      for (int i = 0; i < count; ++i) SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(i % 1000), 0);
      end = Now();
      done = true;
      PostMessageA(h, WM_NULL, 0, 0);
    });
    WaitInMessageLoop([&] { return done.load(); });
    sender.join();
    perSend = (end - start) / count;
  });
  std::printf("send_seconds=%.9f\n", perSend);
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "bare" && argc > 2) return Bare(argv[2]);
  if (mode == "barewrite" && argc > 3) return Bare(argv[2], argv[3]);
  if (mode == "job" && argc > 3) return Job(argv[2], argv[3]);
  if (mode == "sendcost") return SendCost(argc > 2 ? std::atoi(argv[2]) : 20000);
  std::fprintf(stderr, "usage: convert_bench bare FILE | job FILE OUT | sendcost N\n");
  return 2;
}
