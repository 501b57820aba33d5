// The program's access to the platform's DirectShow services: creating the filter graph
// and the multimedia-streaming objects, and filling a stream sample.
#pragma once

#include <windows.h>
#include <dshow.h>
#include <mmstream.h>
#include <amstream.h>
#include <austream.h>

#include "winfw/ComPtr.h"

// Graph interfaces whose ids the headers do not give to __uuidof everywhere.
DECLARE_INTERFACE_ID(IMediaEventEx);
DECLARE_INTERFACE_ID(IVideoWindow);
DECLARE_INTERFACE_ID(IBasicVideo);
DECLARE_INTERFACE_ID(IBasicAudio);

// Converts an ANSI (system code page) path to UTF-16 into capacity wide characters,
// terminator included. False when it does not fit or cannot be converted.
bool AnsiPathToWide(const char* path, wchar_t* out, int capacity);

HRESULT CreateFilterGraph(ComPtr<IGraphBuilder>& graph);
HRESULT CreateMultiMediaStream(ComPtr<IAMMultiMediaStream>& stream);
HRESULT CreateAudioData(ComPtr<IAudioData>& data);

// Plays from the start to farStop, or to the graph's own stop where that lies further:
// the platform stops at its estimate of the length, which for some files falls far
// short of their end. Media time.
HRESULT StopNoEarlierThan(IMediaSeeking* seeking, LONGLONG farStop);

// Fills a sample's buffer once and returns when it is full (or the stream has ended).
// Asks for completion through the event; a platform that does not implement that
// (E_NOTIMPL) is asked synchronously instead, then and for the rest of the stream.
class SampleFiller {
 public:
  // A negative result: failure; MS_S_ENDOFSTREAM: no data left; otherwise the buffer is filled.
  HRESULT Fill(IAudioStreamSample* sample, HANDLE event);
  bool Synchronous() const { return m_synchronous; }

 private:
  bool m_synchronous = false;
};
