#include "media/BoundedCall.h"

#include <atomic>
#include <memory>
#include <system_error>
#include <thread>

#include "winfw/ComInit.h"
#include "winfw/UniqueHandle.h"

namespace {
std::atomic<int> g_nCallsUnderWay{0};

// Waits for done, handling the messages other threads send to this thread's windows
// (a platform call may send some while it works).
bool WaitHandlingSentMessages(HANDLE done, DWORD boundMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD waited = GetTickCount() - start;
    const DWORD left = waited >= boundMs ? 0 : boundMs - waited;
    const DWORD woken = MsgWaitForMultipleObjects(1, &done, FALSE, left, QS_SENDMESSAGE);
    if (woken == WAIT_OBJECT_0) return true;
    if (woken != WAIT_OBJECT_0 + 1) return false;
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // handles what was sent
  }
}
}  // namespace

int PlatformCallsUnderWay() { return g_nCallsUnderWay; }

bool CallWithin(DWORD boundMs, std::function<void()> call) {
  auto done = std::make_shared<UniqueKernelHandle>(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!*done) {
    call();  // no event to wait on: unbounded, on this thread
    return true;
  }
  ++g_nCallsUnderWay;
  try {
    std::thread([call = std::move(call), done]() mutable {
      {
        ComInit com(COINIT_MULTITHREADED);
        call();
        call = nullptr;  // its references go while this thread's COM is still initialised
      }
      SetEvent(done->Get());
      --g_nCallsUnderWay;
    }).detach();
  } catch (const std::system_error&) {
    --g_nCallsUnderWay;
    return false;  // no thread to spare: the call was not made
  }
  return WaitHandlingSentMessages(done->Get(), boundMs);
}
