// Filling a stream sample: the completion event where the platform supports it, and the
// synchronous call where it answers E_NOTIMPL (as Wine does).
#include <gtest/gtest.h>

#include <vector>

#include "media/DirectShow.h"
#include "winfw/UniqueHandle.h"

namespace {
// MinGW's header declares the APC datum as DWORD, the Windows SDK as DWORD_PTR.
#ifdef __MINGW32__
using ApcData = DWORD;
#else
using ApcData = DWORD_PTR;
#endif

// A sample that records how Update was called. With asyncSupported it completes through
// the event (signalled from another thread a little later); otherwise an Update with an
// event answers E_NOTIMPL.
class FakeSample : public IAudioStreamSample {
 public:
  explicit FakeSample(bool asyncSupported) : m_async(asyncSupported) {}
  struct Call {
    DWORD flags;
    HANDLE event;
  };
  std::vector<Call> calls;
  HRESULT nextResult = S_OK;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetMediaStream(IMediaStream**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetSampleTimes(STREAM_TIME*, STREAM_TIME*, STREAM_TIME*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetSampleTimes(const STREAM_TIME*, const STREAM_TIME*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CompletionStatus(DWORD, DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetAudioData(IAudioData**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Update(DWORD flags, HANDLE event, PAPCFUNC, ApcData) override {
    calls.push_back({flags, event});
    if (event && !m_async) return E_NOTIMPL;
    if (nextResult != S_OK) return nextResult;
    if (event) {
      CloseHandle(CreateThread(nullptr, 0, &SignalLater, event, 0, nullptr));
      return MS_S_PENDING;
    }
    return S_OK;
  }

 private:
  static DWORD WINAPI SignalLater(void* event) {
    Sleep(50);
    SetEvent(static_cast<HANDLE>(event));
    return 0;
  }
  bool m_async;
};
}  // namespace

TEST(SampleFiller, WaitsForTheEventWhereUpdateCompletesThroughIt) {
  FakeSample sample(true);
  UniqueKernelHandle event(CreateEventA(nullptr, FALSE, FALSE, nullptr));
  SampleFiller filler;
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
  SampleFiller filler;
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
