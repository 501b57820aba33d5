// Filling a stream sample: the completion event where the platform supports it, and the
// synchronous call where it answers E_NOTIMPL (as Wine does); either cut short by a stop
// or by a stream that delivers nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "media/SampleFiller.h"
#include "winfw/UniqueHandle.h"

namespace {
// MinGW's header declares the APC datum as DWORD, the Windows SDK as DWORD_PTR.
#ifdef __MINGW32__
using ApcData = DWORD;
#else
using ApcData = DWORD_PTR;
#endif

// The stream's sink pin, as far as a filler uses it: the end of the stream, which
// completes a synchronous fill that waits.
class FakeSinkPin : public IPin {
 public:
  UniqueKernelHandle ended{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
  std::atomic<int> endCalls{0};

  HRESULT STDMETHODCALLTYPE EndOfStream() override {
    ++endCalls;
    SetEvent(ended.Get());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE Connect(IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin*, const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Disconnect() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ConnectedTo(IPin**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryId(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin**, ULONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE BeginFlush() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EndFlush() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return E_NOTIMPL; }
};

// A sample that records how Update was called. With asyncSupported it completes through
// the event (signalled from another thread a little later, unless the stream stalls);
// otherwise an Update with an event answers E_NOTIMPL, and the synchronous one returns
// at once, or, when the stream stalls, once the sink pin has been told the stream ended.
class FakeSample : public IAudioStreamSample {
 public:
  explicit FakeSample(bool asyncSupported, FakeSinkPin* sink = nullptr) : m_async(asyncSupported), m_sink(sink) {}
  struct Call {
    DWORD flags;
    HANDLE event;
  };
  std::vector<Call> calls;
  HRESULT nextResult = S_OK;
  bool stalls = false;
  std::vector<DWORD> completionFlags;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetMediaStream(IMediaStream**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetSampleTimes(STREAM_TIME*, STREAM_TIME*, STREAM_TIME*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetSampleTimes(const STREAM_TIME*, const STREAM_TIME*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CompletionStatus(DWORD flags, DWORD) override {
    completionFlags.push_back(flags);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetAudioData(IAudioData**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Update(DWORD flags, HANDLE event, PAPCFUNC, ApcData) override {
    calls.push_back({flags, event});
    if (event && !m_async) return E_NOTIMPL;
    if (nextResult != S_OK) return nextResult;
    if (event) {
      if (!stalls) CloseHandle(CreateThread(nullptr, 0, &SignalLater, event, 0, nullptr));
      return MS_S_PENDING;
    }
    if (stalls && m_sink) WaitForSingleObject(m_sink->ended.Get(), INFINITE);
    return stalls ? MS_S_ENDOFSTREAM : S_OK;
  }

 private:
  static DWORD WINAPI SignalLater(void* event) {
    Sleep(50);
    SetEvent(static_cast<HANDLE>(event));
    return 0;
  }
  bool m_async;
  FakeSinkPin* m_sink;
};

}  // namespace

TEST(SampleFiller, WaitsForTheEventWhereUpdateCompletesThroughIt) {
  FakeSample sample(true);
  UniqueKernelHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  SampleFiller filler(nullptr, nullptr, INFINITE);
  const DWORD start = GetTickCount();
  EXPECT_EQ(filler.Fill(&sample, event.Get()), MS_S_PENDING);
  EXPECT_GE(GetTickCount() - start, 40u);  // returned only once the event was signalled
  EXPECT_EQ(WaitForSingleObject(event.Get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));  // consumed (auto-reset)
  ASSERT_EQ(sample.calls.size(), 1u);
  EXPECT_EQ(sample.calls[0].event, event.Get());
  EXPECT_FALSE(filler.Synchronous());

  sample.nextResult = MS_S_ENDOFSTREAM;  // the end: no wait for an event that never comes
  EXPECT_EQ(filler.Fill(&sample, event.Get()), MS_S_ENDOFSTREAM);
}

TEST(SampleFiller, FallsBackToTheSynchronousUpdateOnNotImplemented) {
  FakeSample sample(false);
  UniqueKernelHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  SampleFiller filler(nullptr, nullptr, INFINITE);
  EXPECT_EQ(filler.Fill(&sample, event.Get()), S_OK);
  ASSERT_EQ(sample.calls.size(), 2u);
  EXPECT_EQ(sample.calls[0].event, event.Get());
  EXPECT_EQ(sample.calls[1].event, nullptr);
  EXPECT_EQ(sample.calls[1].flags, 0u);
  EXPECT_TRUE(filler.Synchronous());

  // From then on straight to the synchronous call; its end and failures come through.
  sample.nextResult = MS_S_ENDOFSTREAM;
  EXPECT_EQ(filler.Fill(&sample, event.Get()), MS_S_ENDOFSTREAM);
  ASSERT_EQ(sample.calls.size(), 3u);
  EXPECT_EQ(sample.calls[2].event, nullptr);
  sample.nextResult = E_FAIL;
  EXPECT_EQ(filler.Fill(&sample, event.Get()), E_FAIL);
}

// A stream that delivers nothing: the fill ends once the stall bound has passed, or at
// once when the stop event is set, whichever comes first; a fill that completes in time
// is left alone. Through the event, the pending update is aborted; synchronously, the
// stream is ended at its sink pin.
TEST(SampleFiller, AFillThatWaitsIsCutShortByAStallOrAStop) {
  for (const bool async : {true, false}) {
    SCOPED_TRACE(async ? "through the event" : "synchronously");
    for (const bool stop : {false, true}) {
      SCOPED_TRACE(stop ? "stopped" : "stalled");
      FakeSinkPin sink;
      FakeSample sample(async, &sink);
      UniqueKernelHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
      UniqueKernelHandle stopEvent(CreateEventA(nullptr, TRUE, FALSE, nullptr));
      const DWORD stallMs = stop ? 60000 : 300;
      SampleFiller filler(&sink, stopEvent.Get(), stallMs);
      EXPECT_EQ(filler.Fill(&sample, event.Get()), async ? MS_S_PENDING : S_OK);  // delivered in time
      EXPECT_EQ(filler.CutShort(), FillCut::None);

      sample.stalls = true;
      std::thread stopper([&] {
        if (!stop) return;
        Sleep(100);
        SetEvent(stopEvent.Get());
      });
      const DWORD start = GetTickCount();
      EXPECT_EQ(filler.Fill(&sample, event.Get()), MS_S_ENDOFSTREAM);
      const DWORD took = GetTickCount() - start;
      stopper.join();
      EXPECT_EQ(filler.CutShort(), stop ? FillCut::Stopped : FillCut::Stalled);
      if (stop) {
        EXPECT_LT(took, 5000u);
      } else {
        EXPECT_GE(took, stallMs - 20);
      }
      if (async) {
        ASSERT_EQ(sample.completionFlags.size(), 1u);
        EXPECT_EQ(sample.completionFlags[0], static_cast<DWORD>(COMPSTAT_WAIT | COMPSTAT_ABORT));
        EXPECT_EQ(sink.endCalls, 0);
      } else {
        EXPECT_EQ(sink.endCalls, 1);
      }
    }
  }
}
