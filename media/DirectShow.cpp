#include "media/DirectShow.h"

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

HRESULT CreateMultiMediaStream(ComPtr<IAMMultiMediaStream>& stream) {
  return CreateInProc(CLSID_AMMultiMediaStream, stream);
}

HRESULT CreateAudioData(ComPtr<IAudioData>& data) { return CreateInProc(CLSID_AMAudioData, data); }

HRESULT StopNoEarlierThan(IMediaSeeking* seeking, LONGLONG farStop) {
  LONGLONG stop = 0;
  const HRESULT hr = seeking->GetStopPosition(&stop);
  if (FAILED(hr)) return hr;
  LONGLONG current = 0;
  if (stop > farStop) farStop = stop;
  return seeking->SetPositions(&current, AM_SEEKING_AbsolutePositioning, &farStop, AM_SEEKING_AbsolutePositioning);
}

HRESULT SampleFiller::Fill(IAudioStreamSample* sample, HANDLE event) {
  if (!m_synchronous) {
    const HRESULT hr = sample->Update(0, event, nullptr, 0);
    if (hr != E_NOTIMPL) {
      if (FAILED(hr) || hr == MS_S_ENDOFSTREAM) return hr;
      WaitForSingleObject(event, INFINITE);
      return hr;
    }
    m_synchronous = true;
  }
  return sample->Update(0, nullptr, nullptr, 0);
}
