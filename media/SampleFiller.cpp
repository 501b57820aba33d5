#include "media/SampleFiller.h"

#include "winfw/ComInit.h"

namespace {
// How long an aborted fill may take to let go of the sample.
constexpr DWORD kAbortWaitMs = 1000;
}  // namespace

SampleFiller::SampleFiller(IPin* sink, HANDLE stop, DWORD stallMs)
    : m_sink(sink), m_stop(stop), m_stallMs(stallMs), m_wake(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

SampleFiller::~SampleFiller() {
  if (!m_watch.joinable()) return;
  m_ending = true;
  SetEvent(m_wake.Get());
  m_watch.join();
}

FillDeadline SampleFiller::Deadline(DWORD fillStart, bool stopSeen, DWORD stopSeenAt) const {
  const DWORD now = GetTickCount();
  return NextFillCut(now - fillStart, stopSeen, now - stopSeenAt, m_stallMs);
}

HRESULT SampleFiller::Fill(IAudioStreamSample* sample, HANDLE event) {
  if (m_synchronous) return FillSynchronously(sample);
  const HRESULT hr = sample->Update(0, event, nullptr, 0);
  if (hr == E_NOTIMPL) {
    m_synchronous = true;
    return FillSynchronously(sample);
  }
  if (FAILED(hr) || hr == MS_S_ENDOFSTREAM) return hr;
  return FillThroughEvent(sample, event, hr);
}

HRESULT SampleFiller::FillThroughEvent(IAudioStreamSample* sample, HANDLE event, HRESULT pending) {
  const DWORD start = GetTickCount();
  bool stopSeen = false;
  DWORD stopSeenAt = 0;
  for (;;) {
    const FillDeadline next = Deadline(start, stopSeen, stopSeenAt);
    if (next.cut != FillCut::None) {
      m_cut = next.cut;
      // Nothing of an aborted fill is used: the stream counts as ended here.
      sample->CompletionStatus(COMPSTAT_WAIT | COMPSTAT_ABORT, kAbortWaitMs);
      return MS_S_ENDOFSTREAM;
    }
    const HANDLE waits[2] = {event, m_stop};
    const DWORD woken = WaitForMultipleObjects(m_stop && !stopSeen ? 2 : 1, waits, FALSE, next.msLeft);
    if (woken == WAIT_OBJECT_0) return pending;
    if (woken == WAIT_OBJECT_0 + 1) {
      stopSeen = true;
      stopSeenAt = GetTickCount();
    }
  }
}

HRESULT SampleFiller::FillSynchronously(IAudioStreamSample* sample) {
  if (m_sink && m_wake && !m_watch.joinable()) m_watch = std::thread([this] { Watch(); });
  m_fillStart = GetTickCount();
  m_filling = true;
  SetEvent(m_wake.Get());
  const HRESULT hr = sample->Update(0, nullptr, nullptr, 0);
  m_filling = false;
  return hr;
}

// Ends the stream at its sink when the fill under way is due to be cut short. The sink
// then completes that fill with what it holds.
void SampleFiller::Watch() {
  ComInit com(COINIT_MULTITHREADED);
  bool stopSeen = false;
  DWORD stopSeenAt = 0;
  for (;;) {
    DWORD timeout = INFINITE;
    if (m_filling && m_cut == FillCut::None) {
      const FillDeadline next = Deadline(m_fillStart, stopSeen, stopSeenAt);
      if (next.cut != FillCut::None) {
        m_cut = next.cut;
        m_sink->EndOfStream();
        continue;
      }
      timeout = next.msLeft;
    }
    const HANDLE waits[2] = {m_wake.Get(), m_stop};
    const DWORD woken = WaitForMultipleObjects(m_stop && !stopSeen ? 2 : 1, waits, FALSE, timeout);
    if (m_ending) return;
    if (woken == WAIT_OBJECT_0 + 1) {
      stopSeen = true;
      stopSeenAt = GetTickCount();
    }
  }
}
