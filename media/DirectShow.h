// The program's access to the platform's DirectShow services: creating the filter graph
// and the multimedia-streaming objects.
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

// The graph's RenderFile, given boundMs to return (see CallWithin): some files hold the
// platform there for ever. HRESULT_FROM_WIN32(ERROR_TIMEOUT) after the bound.
HRESULT RenderFileWithin(IGraphBuilder* graph, const wchar_t* path, DWORD boundMs);
HRESULT CreateMultiMediaStream(ComPtr<IAMMultiMediaStream>& stream);
HRESULT CreateAudioData(ComPtr<IAudioData>& data);

// Rewinds to the start, with the stop at farStop, or at stop (the graph's own, as the
// caller read it) where that lies further: the platform stops at its estimate of the
// length, which for some files falls far short of their end. Media time.
HRESULT RewindWithStopNoEarlierThan(IMediaSeeking* seeking, LONGLONG stop, LONGLONG farStop);

// The same on every output pin of the graph's filters that seeks, rendered or not, each
// with its own stop: the graph's own seeking reaches only the pins that lead to a
// renderer, while a splitter may take the stop of the whole file from a pin that nothing
// renders (Wine's parsers take it from their first pin, a video one where a stream
// renders the audio alone). On Wine such an unrendered pin gets no stop at all (0): its
// parsers then read to the media's real end, where any stop they are given is cut to
// their own estimate of the length, which for MPEG program streams falls short by about a
// second. Media time.
void RewindEveryPinWithStopNoEarlierThan(IGraphBuilder* graph, LONGLONG farStop);
