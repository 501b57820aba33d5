// A filter of the program's own for the conversion's graph. Decoders describe PCM of more
// than two channels with the extensible format record, while the multimedia stream's
// audio sink takes only the plain PCM record. Added to the graph before the file is
// opened, the adapter is among the filters the graph's automatic connection tries first:
// it takes such audio and hands the decoder's own samples on to the sink unchanged,
// described as plain PCM of the same channels, rate and sample size. Audio of one or two
// channels, which the sink takes itself, it refuses, so that such files connect as before.
#pragma once

#include "media/DirectShow.h"

// Opens path in the multimedia stream as OpenFile with flags 0 does (connected, not run),
// with the adapter in the stream's graph while the file's streams are connected. The
// adapter stays only where audio went through it; without it (none could be made or
// added) the file opens as it would have.
HRESULT OpenFileWithPcmAdapter(IAMMultiMediaStream* stream, const wchar_t* path);
