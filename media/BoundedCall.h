// Calls into the platform that may never return. Some media hold the platform's parser
// for ever (a stream that stops delivering, a file it cannot parse), and every call that
// stops, seeks or releases such a graph then waits with it. Such calls run on a thread of
// their own, so that the caller goes on after a bound.
#pragma once

#include <windows.h>

#include <functional>

// Runs call on a thread of its own (in the multithreaded apartment) and waits up to
// boundMs for it to return, handling the messages sent to the caller's windows
// meanwhile. True when it returned in time. What the call holds (references to the
// platform's objects, captured by value) is released when it returns, on its thread: if
// it never returns, never. A bound of 0 waits for nothing.
bool CallWithin(DWORD boundMs, std::function<void()> call);

// Calls of CallWithin that have not returned: a process that ends under one must not
// unload the media services.
int PlatformCallsUnderWay();
