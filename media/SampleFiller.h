// Filling a stream sample, bounded: a fill returns when the sample is full, when the
// stream has ended, or when it is cut short, because a stop was asked for while it waits,
// or because the stream has delivered nothing for a stretch that no healthy stream reaches.
#pragma once

#include <atomic>
#include <thread>

#include "media/DirectShow.h"
#include "media/StreamStall.h"
#include "winfw/UniqueHandle.h"

class SampleFiller {
 public:
  // sink is the pin through which the audio stream receives its data: a fill that the
  // platform completes only synchronously is cut short by ending the stream there, from a
  // watch thread of the filler's (without a sink such a fill cannot be cut). stop is a
  // manual-reset event, set by whoever wants the job to stop.
  SampleFiller(IPin* sink, HANDLE stop, DWORD stallMs);
  SampleFiller(const SampleFiller&) = delete;
  SampleFiller& operator=(const SampleFiller&) = delete;
  ~SampleFiller();

  // Asks for completion through the event; a platform that does not implement that
  // (E_NOTIMPL) is asked synchronously instead, then and for the rest of the stream.
  // A negative result: failure; MS_S_ENDOFSTREAM: no data left; otherwise the sample holds
  // what the stream delivered, which after a cut may be less than full.
  HRESULT Fill(IAudioStreamSample* sample, HANDLE event);
  // Why a fill was cut short; None while none was. After a cut the stream is at its end.
  FillCut CutShort() const { return m_cut; }
  bool Synchronous() const { return m_synchronous; }

 private:
  HRESULT FillThroughEvent(IAudioStreamSample* sample, HANDLE event, HRESULT pending);
  HRESULT FillSynchronously(IAudioStreamSample* sample);
  void Watch();
  // The cut due for a fill that began at fillStart, with the stop seen at stopSeenAt.
  FillDeadline Deadline(DWORD fillStart, bool stopSeen, DWORD stopSeenAt) const;

  ComPtr<IPin> m_sink;
  HANDLE m_stop;
  DWORD m_stallMs;
  bool m_synchronous = false;
  std::atomic<FillCut> m_cut{FillCut::None};
  // The synchronous fill under way, for the watch thread: its start, then the flag.
  std::atomic<DWORD> m_fillStart{0};
  std::atomic<bool> m_filling{false};
  std::atomic<bool> m_ending{false};
  UniqueKernelHandle m_wake;  // a fill began, or the filler ends
  std::thread m_watch;
};
