// The worker's decode-and-write loop: the primary audio stream as PCM, one large sample
// at a time counted in 5000-byte steps, after the WAV header template, which is patched
// at the end.
#include <windows.h>
#include <mmreg.h>
#include <share.h>

#include <cstddef>
#include <cstdio>
#include <string>

#include "app/PrivateMessages.h"
#include "convert/JobArithmetic.h"
#include "convert/JobMessages.h"
#include "convert/WavFile.h"
#include "mainwnd/ConverterDlg.h"
#include "mainwnd/MediaText.h"
#include "media/DirectShow.h"
#include "media/SampleFiller.h"

namespace {
constexpr std::size_t kFileBufferBytes = 64 * 1024;
static_assert(offsetof(WAVEFORMATEX, cbSize) == kPcmFormatRecordSize,
              "the first 16 bytes of WAVEFORMATEX are the PCM format record");
static_assert(sizeof(WAVEFORMATEXTENSIBLE) == kReportedFormatRoom, "room for the extensible format record");

// Shows a job's progress on the bar. A sent message costs as much as decoding a buffer
// under some platforms: only positions that change the bar's filled length are sent.
class CJobProgress {
 public:
  CJobProgress(const CProgressCtrl& bar, std::int64_t budget)
      : m_bar(bar), m_nBudget(budget), m_steps(bar.GetBarPixels()) {}
  void Show(std::int32_t written) {
    const int position = ProgressPosition(written, m_nBudget);
    if (m_steps.Changes(position)) m_bar.SetPos(position);
  }

 private:
  const CProgressCtrl& m_bar;
  std::int64_t m_nBudget;
  ProgressSteps m_steps;
};

// The platform stops a stream at its estimate of the media's length, which can fall far
// short of the media's end. A range that reaches that stop gets a stop far beyond it, set
// before the stream runs (a later Seek keeps it); a range that ends before it is left
// exactly as the platform plays it.
void ReachRangeEnd(IMultiMediaStream* stream, const ConvertRequest& job, std::uint32_t avgBytesPerSec) {
  ComPtr<IAMMultiMediaStream> amStream;
  ComPtr<IGraphBuilder> graph;
  ComPtr<IMediaSeeking> seeking;
  if (FAILED(amStream.QueryFrom(stream)) || FAILED(amStream->GetFilterGraph(graph.Out())) ||
      FAILED(seeking.QueryFrom(graph.Get())))
    return;
  LONGLONG stop = 0;
  if (FAILED(seeking->GetStopPosition(&stop)) || (!job.endAtMediaEnd && job.end < stop)) return;
  const LONGLONG farStop = FarStopTime(job.start, avgBytesPerSec);
  RewindWithStopNoEarlierThan(seeking.Get(), stop, farStop);
  RewindEveryPinWithStopNoEarlierThan(graph.Get(), farStop);
}
}  // namespace

void CConverterDlg::ShowWorkerMessage(const char* format, const std::string& path) {
  ShowWorkerText(WithPath(format, path));
}

void CConverterDlg::ShowWorkerText(const std::string& text) {
  // Counted, so that a close waiting for this job never gives up while the user reads.
  ++m_nWorkerBoxes;
  ::MessageBoxA(nullptr, text.c_str(), "Error", MB_OK);  // no owner: the dialog stays usable
  --m_nWorkerBoxes;
}

HRESULT CConverterDlg::WriteWaveFile(IMultiMediaStream* stream) {
  const ConvertRequest& job = m_job;  // fixed by Convert before this thread started
  const std::uint32_t sampleBytes = WholeStepsSampleBytes(m_nSampleBytes);
  // Declared in the order that releases the sample before its data object and buffer.
  UniqueLocalMemory buffer;
  ComPtr<IAudioData> audioData;
  ComPtr<IAudioStreamSample> sample;
  // Room for the extensible record, should the stream report one.
  WAVEFORMATEXTENSIBLE reported = {};
  WAVEFORMATEX& format = reported.Format;
  unsigned char formatRecord[kPcmFormatRecordSize] = {};
  ComPtr<IPin> sink;  // the audio stream's own pin, through which its data arrives
  // A set-up step that fails ends the job with a word about the media file.
  const auto refuse = [&](const char* text, HRESULT hr) {
    ShowWorkerMessage(text, job.mediaPath);
    return hr;
  };
  {
    ComPtr<IMediaStream> mediaStream;
    HRESULT hr = stream->GetMediaStream(MSPID_PrimaryAudio, mediaStream.Out());
    if (FAILED(hr)) return refuse(kCannotStream, hr);
    ComPtr<IAudioMediaStream> audioStream;
    hr = audioStream.QueryFrom(mediaStream.Get());
    mediaStream.Reset();
    if (FAILED(hr)) return refuse(kCannotStream, hr);
    sink.QueryFrom(audioStream.Get());  // without it, only fills that complete through an event are bounded
    hr = CreateAudioData(audioData);
    if (FAILED(hr)) return refuse(kCannotPrepare, hr);
    buffer.Reset(LocalAlloc(LMEM_FIXED, sampleBytes));
    if (!buffer) return refuse(kCannotPrepare, E_OUTOFMEMORY);
    audioStream->GetFormat(&format);
    // Checked before the output is opened: a refused format replaces no file.
    if (!HeaderFormatRecord(reinterpret_cast<const unsigned char*>(&reported), sizeof(reported), formatRecord))
      return refuse(kFormatRefused, 1);
    audioData->SetBuffer(sampleBytes, static_cast<BYTE*>(buffer.Get()), 0);
    audioData->SetFormat(&format);
    hr = audioStream->CreateSample(audioData.Get(), 0, sample.Out());
    if (FAILED(hr)) return refuse(kCannotPrepare, hr);
  }  // the audio stream is released here, whatever the result

  // The stream runs before the output is opened: a stream that cannot run replaces no file.
  const ReferenceTime start = job.start;
  ReachRangeEnd(stream, job, format.nAvgBytesPerSec);
  const HRESULT running = stream->SetState(STREAMSTATE_RUN);
  if (FAILED(running)) return refuse(kCannotStream, running);
  stream->Seek(start);

  const std::string& outputPath = job.outputPath;
  // One writer per file: while the job writes, no one else can open the output for
  // writing (another copy of the program converting to the same path is refused).
  // Readers may still open it.
  UniqueStdioFile file(_fsopen(outputPath.c_str(), "wb", _SH_DENYWR));
  if (!file) {
    ShowWorkerMessage(kCannotOpen, outputPath);
    return 1;
  }
  // A larger stream buffer: far fewer system calls for the same bytes.
  std::setvbuf(file.Get(), nullptr, _IOFBF, kFileBufferBytes);
  if (!WriteWavHeaderTemplate(file.Get())) {
    ShowWorkerMessage(kCannotWrite, outputPath);
    return 1;
  }

  std::int32_t written = 0;
  const std::int64_t budget = JobBudget(job, format.nAvgBytesPerSec);
  const std::int64_t dataLimit = m_nMaxDataBytes;
  bool stoppedAtLimit = false;
  bool reachedEnd = false;  // the stream ended before the range did: the media's real end
  bool stalled = false;     // the stream stopped delivering before its end
  const char* failure = nullptr;  // told once the file is complete

  UniqueKernelHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  if (!event) {
    failure = kCannotPrepare;
  } else {
    SampleFiller filler(sink.Get(), m_hJobStop.Get(), m_timing.stallMs);
    // Against the length known, also for a range to the media's end.
    CJobProgress progress(m_ctlProgress, ByteBudget(start, job.end, format.nAvgBytesPerSec));
    const auto* data = static_cast<const unsigned char*>(buffer.Get());
    for (bool more = true; more;) {
      const HRESULT hr = filler.Fill(sample.Get(), event.Get());
      const bool ended = FAILED(hr) || hr == MS_S_ENDOFSTREAM;
      // A cut-short fill keeps what it holds, and ends the stream without its end's words.
      const FillCut cut = filler.CutShort();
      stalled = cut == FillCut::Stalled;
      more = cut == FillCut::None && !ended;
      if (cut == FillCut::None) {
        if (FAILED(hr) && written == 0) failure = kNoAudioDelivered;
        if (hr == MS_S_ENDOFSTREAM && written == 0) failure = kNoAudioInStream;  // the file is 44 bytes
        reachedEnd = hr == MS_S_ENDOFSTREAM;
      }
      if (ended) break;
      DWORD reportedBytes = 0;
      audioData->GetInfo(nullptr, nullptr, &reportedBytes);
      // Each step is written and counted before the budget, the stop request and the
      // progress are looked at: the file ends on the step where 5000-byte samples end it.
      SampleSteps steps(ValidSampleBytes(reportedBytes, sampleBytes));
      std::uint32_t offset = 0, step = 0;
      bool taking = true;
      while (taking && steps.Next(offset, step)) {
        if (WouldPassDataLimit(written, step, dataLimit)) {
          stoppedAtLimit = true;
          more = false;
          break;
        }
        if (!AppendAudio(file.Get(), data + offset, step)) {
          ShowWorkerMessage(kCannotWrite, outputPath);
          return 1;
        }
        written += static_cast<std::int32_t>(step);
        taking = written < budget && m_bStopped != 1;
        if (taking) progress.Show(written);
      }
      more = more && taking;
    }
    m_bStreamCutShort = filler.CutShort() != FillCut::None;
  }

  if (PatchWavHeader(file.Get(), written, formatRecord) != PatchResult::Complete) {
    ShowWorkerMessage(kCannotWrite, outputPath);
    return 1;
  }
  // Closing writes what the stream still buffers: a failure there is a failed write too.
  if (std::fclose(file.Release()) != 0) {
    ShowWorkerMessage(kCannotWrite, outputPath);
    return 1;
  }
  if (reachedEnd && written > 0) {
    MediaEndNotice notice{job.mediaPath, start + DataDuration(written, format.nAvgBytesPerSec)};
    ::SendMessageA(m_hWnd, WM_MEDIAENDNOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
  }
  if (stalled && written == 0) failure = kNoAudioDelivered;
  if (failure) ShowWorkerMessage(failure, job.mediaPath);
  if (stalled && written > 0)
    ShowWorkerText(StalledText(job.mediaPath, ClockText(start + DataDuration(written, format.nAvgBytesPerSec))));
  if (stoppedAtLimit) ShowWorkerMessage(kRangeTooLong, outputPath);
  return 0;
}
