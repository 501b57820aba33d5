#include "media/DirectShow.h"

#include <atomic>
#include <memory>
#include <string>

#include "media/BoundedCall.h"

bool AnsiPathToWide(const char* path, wchar_t* out, int capacity) {
  if (!path || !out || capacity <= 0) return false;
  const int written = MultiByteToWideChar(CP_ACP, 0, path, -1, out, capacity);
  if (written == 0) {
    out[0] = L'\0';
    return false;
  }
  return true;
}

HRESULT CreateFilterGraph(ComPtr<IGraphBuilder>& graph) {
  return CreateInProc(CLSID_FilterGraph, graph);
}

HRESULT RenderFileWithin(IGraphBuilder* graph, const wchar_t* path, DWORD boundMs) {
  const auto result = std::make_shared<std::atomic<HRESULT>>(E_PENDING);
  const bool returned = CallWithin(boundMs, [graph = ComPtr<IGraphBuilder>(graph), name = std::wstring(path), result] {
    *result = graph->RenderFile(name.c_str(), nullptr);
  });
  return returned ? result->load() : HRESULT_FROM_WIN32(ERROR_TIMEOUT);
}

HRESULT CreateMultiMediaStream(ComPtr<IAMMultiMediaStream>& stream) {
  return CreateInProc(CLSID_AMMultiMediaStream, stream);
}

HRESULT CreateAudioData(ComPtr<IAudioData>& data) { return CreateInProc(CLSID_AMAudioData, data); }

HRESULT RewindWithStopNoEarlierThan(IMediaSeeking* seeking, LONGLONG stop, LONGLONG farStop) {
  LONGLONG current = 0;
  if (stop > farStop) farStop = stop;
  return seeking->SetPositions(&current, AM_SEEKING_AbsolutePositioning, &farStop, AM_SEEKING_AbsolutePositioning);
}

namespace {
// Wine's ntdll exports wine_get_version; Windows' has no such export.
bool PlatformIsWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

// Calls each of the graph's output pins that seeks, telling whether something renders it.
template <class Fn>
void ForEachSeekingOutputPin(IGraphBuilder* graph, Fn fn) {
  ComPtr<IEnumFilters> filters;
  if (FAILED(graph->EnumFilters(filters.Out()))) return;
  for (ComPtr<IBaseFilter> filter; filters->Next(1, filter.Out(), nullptr) == S_OK; filter.Reset()) {
    ComPtr<IEnumPins> pins;
    if (FAILED(filter->EnumPins(pins.Out()))) continue;
    for (ComPtr<IPin> pin; pins->Next(1, pin.Out(), nullptr) == S_OK; pin.Reset()) {
      PIN_DIRECTION direction = PINDIR_INPUT;
      ComPtr<IMediaSeeking> seeking;
      if (FAILED(pin->QueryDirection(&direction)) || direction != PINDIR_OUTPUT || FAILED(seeking.QueryFrom(pin.Get())))
        continue;
      ComPtr<IPin> peer;
      fn(seeking.Get(), SUCCEEDED(pin->ConnectedTo(peer.Out())));
    }
  }
}
}  // namespace

void RewindEveryPinWithStopNoEarlierThan(IGraphBuilder* graph, LONGLONG farStop) {
  const bool noStopUnrendered = PlatformIsWine();
  ForEachSeekingOutputPin(graph, [&](IMediaSeeking* seeking, bool rendered) {
    LONGLONG stop = 0;
    if (rendered || !noStopUnrendered) {
      if (SUCCEEDED(seeking->GetStopPosition(&stop))) RewindWithStopNoEarlierThan(seeking, stop, farStop);
      return;
    }
    LONGLONG current = 0;
    seeking->SetPositions(&current, AM_SEEKING_AbsolutePositioning, &stop, AM_SEEKING_AbsolutePositioning);
  });
}
