// The worker's decode-and-write loop: the primary audio stream as PCM, 5000 bytes at a
// time, after the WAV header template, which is patched at the end.
#include <cstddef>
#include <cstdio>
#include <string>

#include "convert/JobArithmetic.h"
#include "convert/WavFile.h"
#include "mainwnd/ConverterDlg.h"
#include "media/DirectShow.h"

namespace {
constexpr std::size_t kFileBufferBytes = 64 * 1024;
constexpr char kCannotOpen[] = "Can not open %s";
constexpr char kCannotWrite[] = "Can not write %s";
constexpr char kRangeTooLong[] = "The range is too long for a WAV file. Only its beginning was converted.";

static_assert(offsetof(WAVEFORMATEX, cbSize) == kPcmFormatRecordSize,
              "the first 16 bytes of WAVEFORMATEX are the PCM format record");

void ShowWorkerError(const char* format, const std::string& path) {
  MessageBoxA(nullptr, WithPath(format, path).c_str(), "Error", MB_OK);  // no owner: the dialog stays usable
}

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
}  // namespace

HRESULT CConverterDlg::WriteWaveFile(IMultiMediaStream* stream) {
  // Declared in the order that releases the sample before its data object and buffer.
  UniqueLocalMemory buffer;
  ComPtr<IAudioData> audioData;
  ComPtr<IAudioStreamSample> sample;
  WAVEFORMATEX format = {};
  {
    ComPtr<IMediaStream> mediaStream;
    HRESULT hr = stream->GetMediaStream(MSPID_PrimaryAudio, mediaStream.Out());
    if (FAILED(hr)) return hr;
    ComPtr<IAudioMediaStream> audioStream;
    hr = audioStream.QueryFrom(mediaStream.Get(), IID_IAudioMediaStream);
    mediaStream.Reset();
    if (FAILED(hr)) return hr;
    hr = CreateAudioData(audioData);
    if (FAILED(hr)) return hr;
    buffer.Reset(LocalAlloc(LMEM_FIXED, kSampleBufferBytes));
    if (!buffer) return E_OUTOFMEMORY;
    audioStream->GetFormat(&format);
    audioData->SetBuffer(kSampleBufferBytes, static_cast<BYTE*>(buffer.Get()), 0);
    audioData->SetFormat(&format);
    hr = audioStream->CreateSample(audioData.Get(), 0, sample.Out());
    if (FAILED(hr)) return hr;
  }  // the audio stream is released here, whatever the result

  const std::string outputPath = m_strJobOutputFile;
  UniqueStdioFile file(std::fopen(outputPath.c_str(), "wb"));
  if (!file) {
    ShowWorkerError(kCannotOpen, outputPath);
    return 1;
  }
  // A larger stream buffer: far fewer system calls for the same bytes.
  std::setvbuf(file.Get(), nullptr, _IOFBF, kFileBufferBytes);
  if (!WriteWavHeaderTemplate(file.Get())) return 1;

  std::int32_t written = 0;
  const ReferenceTime start = m_rtStart;
  const ReferenceTime end = m_rtEnd;
  stream->Seek(start);
  const std::int64_t budget = ByteBudget(start, end, format.nAvgBytesPerSec);
  const std::int64_t dataLimit = m_nMaxDataBytes;
  bool stoppedAtLimit = false;

  UniqueKernelHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  if (event) {
    SampleFiller filler;
    CJobProgress progress(m_ctlProgress, budget);
    for (;;) {
      const HRESULT hr = filler.Fill(sample.Get(), event.Get());
      if (FAILED(hr) || hr == MS_S_ENDOFSTREAM) break;
      DWORD valid = 0;
      audioData->GetInfo(nullptr, nullptr, &valid);
      if (WouldPassDataLimit(written, valid, dataLimit)) {
        stoppedAtLimit = true;
        break;
      }
      if (!AppendAudio(file.Get(), buffer.Get(), valid)) {
        ShowWorkerError(kCannotWrite, outputPath);
        return 1;
      }
      written += static_cast<std::int32_t>(valid);
      if (written >= budget) break;
      if (m_bStopped == 1) break;
      progress.Show(written);
    }
  }

  if (PatchWavHeader(file.Get(), written, reinterpret_cast<const unsigned char*>(&format)) !=
      PatchResult::Complete) {
    ShowWorkerError(kCannotWrite, outputPath);
    return 1;
  }
  // Closing writes what the stream still buffers: a failure there is a failed write too.
  if (std::fclose(file.Release()) != 0) {
    ShowWorkerError(kCannotWrite, outputPath);
    return 1;
  }
  if (stoppedAtLimit) ::MessageBoxA(nullptr, kRangeTooLong, "Error", MB_OK);
  return 0;
}
