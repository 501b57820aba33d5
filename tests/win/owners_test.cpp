// The owners that make "released on every exit path" hold: copies, moves and resets
// must neither leak nor release twice.
#include <gtest/gtest.h>

#include "winfw/ComInit.h"
#include "winfw/ComPtr.h"
#include "winfw/UniqueHandle.h"

namespace {
class Counted : public IUnknown {
 public:
  ULONG refs = 1;  // the creator's reference
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
};

bool IsOpenHandle(HANDLE h) {
  DWORD flags = 0;
  return GetHandleInformation(h, &flags) != FALSE;
}
}  // namespace

TEST(ComPtr, CopiesMovesAndResetsKeepTheCountRight) {
  Counted object;
  {
    ComPtr<IUnknown> a(&object);  // takes a reference of its own
    EXPECT_EQ(object.refs, 2u);
    ComPtr<IUnknown> b = a;
    EXPECT_EQ(object.refs, 3u);
    ComPtr<IUnknown> c = std::move(b);
    EXPECT_EQ(object.refs, 3u);
    EXPECT_FALSE(b);
    c = a;  // assigning the same object: no net change
    EXPECT_EQ(object.refs, 3u);
    c = c;
    EXPECT_EQ(object.refs, 3u);
    c.Reset();
    c.Reset();  // a second reset releases nothing
    EXPECT_EQ(object.refs, 2u);
  }
  EXPECT_EQ(object.refs, 1u);
}

TEST(ComPtr, AttachAdoptsAndDetachHandsOver) {
  Counted object;
  object.AddRef();  // a reference the caller already owns
  ComPtr<IUnknown> p;
  p.Attach(&object);
  EXPECT_EQ(object.refs, 2u);
  IUnknown* raw = p.Detach();
  EXPECT_EQ(raw, &object);
  EXPECT_FALSE(p);
  EXPECT_EQ(object.refs, 2u);
  raw->Release();
  EXPECT_EQ(object.refs, 1u);
}

TEST(ComPtr, QueryThroughOutParameter) {
  Counted object;
  ComPtr<IUnknown> p(&object);
  ComPtr<IUnknown> q;
  EXPECT_EQ(p.As(q), S_OK);
  EXPECT_EQ(object.refs, 3u);
  EXPECT_EQ(q.QueryFrom(nullptr, IID_IUnknown), E_POINTER);
  EXPECT_FALSE(q);
  EXPECT_EQ(object.refs, 2u);
}

TEST(UniqueHandle, ClosesOnceAndMovesOwnership) {
  HANDLE raw = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  ASSERT_TRUE(raw);
  {
    UniqueKernelHandle a(raw);
    UniqueKernelHandle b(std::move(a));
    EXPECT_FALSE(a);
    EXPECT_EQ(b.Get(), raw);
    UniqueKernelHandle c;
    c = std::move(b);
    EXPECT_TRUE(IsOpenHandle(raw));
  }
  EXPECT_FALSE(IsOpenHandle(raw));

  HANDLE kept = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  UniqueKernelHandle d(kept);
  HANDLE released = d.Release();
  d.Reset();
  EXPECT_TRUE(IsOpenHandle(released));
  CloseHandle(released);
}

TEST(ComInit, UninitialisesOnlyWhatItInitialised) {
  ComInit outer;
  EXPECT_TRUE(SUCCEEDED(outer.Result()));
  {
    ComInit wrongModel(COINIT_MULTITHREADED);  // refused on an apartment thread: RPC_E_CHANGED_MODE
    EXPECT_EQ(wrongModel.Result(), RPC_E_CHANGED_MODE);
  }
  // Still initialised: a COM call that needs it works.
  ComPtr<IUnknown> unknown;
  EXPECT_NE(CoCreateInstance(CLSID_NULL, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, unknown.OutVoid()),
            CO_E_NOTINITIALIZED);
}
