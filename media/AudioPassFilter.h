// Filters of the program's own that pass decoded audio on, sample for sample. Added to a
// graph before a file is rendered, such a filter is among those the graph's automatic
// connection tries first; one that nothing connected to is taken out again.
// - The conversion's channel adapter. Decoders describe PCM of more than two channels with
//   the extensible format record, while the multimedia stream's audio sink takes only the
//   plain PCM record: the adapter takes such audio and hands the decoder's own samples on,
//   described as plain PCM of the same channels, rate and sample size. Audio of one or two
//   channels, which the sink takes itself, it refuses, so that such files connect as before.
// - The preview's audio watch, which passes decoded audio on as it is and notes when its
//   last sample went by: a stream that stops delivering shows there, whatever the
//   graph's clock does meanwhile.
#pragma once

#include "media/DirectShow.h"

// Opens path in the multimedia stream as OpenFile with flags 0 does (connected, not run),
// with the channel adapter in the stream's graph.
HRESULT OpenFileWithPcmAdapter(IAMMultiMediaStream* stream, const wchar_t* path);

// RenderFile with the audio watch in the graph; watch is empty when no audio went through it.
HRESULT RenderFileWithAudioWatch(IGraphBuilder* graph, const wchar_t* path, ComPtr<IBaseFilter>& watch);
// Whether the graph runs and no sample has gone through the watch for boundMs, before the
// stream's end.
bool AudioStalled(IBaseFilter* watch, DWORD boundMs);
