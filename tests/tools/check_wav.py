#!/usr/bin/env python3
"""Independent check of the WAV files the conversion tests wrote.

  check_wav.py MANIFEST        the files a manifest names, header and samples
  check_wav.py --header WAV... a complete header and some audio after it, for each file

Each manifest line names a WAV file, the media file it came from and the range
(start and end in 100 ns units; end -1 means the whole file), and optionally the word
"other-decoder": the platform decodes that media with another decoder than ffmpeg's,
which starts and ends the sound otherwise (AC-3: in the first and last frame), so its
samples are compared without their first and last tenth of a second. For each file:
the header is read with Python's wave module and by hand (RIFF length = size - 8,
data length = size - 44, a 16-byte PCM format chunk), the format is compared with
what ffprobe reports for the media's audio stream, and the samples are compared
with ffmpeg's decoding of the same file and range after aligning the start.

The threshold is a correlation of 0.9999 per channel: both sides decode the same
bitstream, so beyond alignment they differ only by rounding, far below 0.01 %.
"""
import array
import json
import math
import os
import struct
import subprocess
import sys
import wave

MIN_CORRELATION = 0.9999
UNIT = 10_000_000


def fail(msg):
    raise AssertionError(msg)


def probe(media):
    out = subprocess.run(
        ["ffprobe", "-v", "error", "-select_streams", "a:0", "-show_streams", "-of", "json", media],
        check=True, capture_output=True, text=True).stdout
    streams = json.loads(out)["streams"]
    if not streams:
        fail(f"{media}: ffprobe finds no audio stream")
    return streams[0]


def check_header(path):
    if not os.path.isfile(path):
        fail(f"{path}: no such file")
    with open(path, "rb") as f:
        raw = f.read()
    size = len(raw)
    if size < 44:
        fail(f"{path}: {size} bytes, shorter than a header")
    riff, riff_len, wave_id, fmt_id, fmt_len = struct.unpack_from("<4sI4s4sI", raw, 0)
    tag, channels, rate, avg, align, bits = struct.unpack_from("<HHIIHH", raw, 20)
    data_id, data_len = struct.unpack_from("<4sI", raw, 36)
    checks = [
        (riff == b"RIFF" and wave_id == b"WAVE" and fmt_id == b"fmt " and data_id == b"data", "chunk ids"),
        (fmt_len == 16, f"format chunk length {fmt_len}"),
        (tag == 1, f"format tag {tag}"),
        (riff_len == size - 8, f"RIFF length {riff_len} for a file of {size} bytes"),
        (data_len == size - 44, f"data length {data_len} for a file of {size} bytes"),
        (align == channels * bits // 8, f"block alignment {align}"),
        (avg == rate * align, f"average bytes per second {avg}"),
    ]
    for ok, what in checks:
        if not ok:
            fail(f"{path}: {what}")
    with wave.open(path, "rb") as w:  # the standard library's own reading of it
        if (w.getnchannels(), w.getframerate(), w.getsampwidth() * 8) != (channels, rate, bits):
            fail(f"{path}: wave module reads another format")
        if w.getnframes() != data_len // align:
            fail(f"{path}: wave module reads {w.getnframes()} frames")
        frames = w.readframes(w.getnframes())
    return channels, rate, bits, frames


def to_channels(pcm, channels, bits):
    if bits == 8:
        values = [b - 128 for b in pcm]
    elif bits == 24:
        values = [int.from_bytes(pcm[i:i + 3], "little", signed=True) for i in range(0, len(pcm) - 2, 3)]
    else:
        values = array.array("h")
        values.frombytes(pcm[: len(pcm) // 2 * 2])
        if sys.byteorder != "little":
            values.byteswap()
    return [values[c::channels] for c in range(channels)]


def ffmpeg_decode(media, channels, rate, bits):
    fmt = {8: "u8", 24: "s24le"}.get(bits, "s16le")
    pcm = subprocess.run(
        ["ffmpeg", "-v", "error", "-i", media, "-map", "0:a:0", "-f", fmt, "-ac", str(channels),
         "-ar", str(rate), "pipe:1"], check=True, capture_output=True).stdout
    return to_channels(pcm, channels, bits)


def envelope(x, block):
    return [sum(v * v for v in x[i:i + block]) for i in range(0, len(x) - block + 1, block)]


def best_lag(ref, sig, lo, hi, step=1, length=None):
    """Lag d in [lo, hi] maximising the dot product of sig[i] and ref[i + d]."""
    n = len(sig) if length is None else min(length, len(sig))
    best, best_d = -math.inf, lo
    for d in range(lo, hi + 1, step):
        i0 = max(0, -d)
        i1 = min(n, len(ref) - d)
        if i1 - i0 < n // 2:
            continue
        s = sum(sig[i] * ref[i + d] for i in range(i0, i1))
        if s > best:
            best, best_d = s, d
    return best_d


def correlation(a, b):
    n = min(len(a), len(b))
    a, b = a[:n], b[:n]
    ma, mb = sum(a) / n, sum(b) / n
    sab = sum((x - ma) * (y - mb) for x, y in zip(a, b))
    saa = sum((x - ma) ** 2 for x in a)
    sbb = sum((y - mb) ** 2 for y in b)
    return sab / math.sqrt(saa * sbb) if saa > 0 and sbb > 0 else 0.0


def check_samples(path, media, start, end, channels, rate, bits, frames, other_decoder):
    got = to_channels(frames, channels, bits)
    ref = ffmpeg_decode(media, channels, rate, bits)
    expected_start = round(start / UNIT * rate)
    slack = rate // 10  # decoders may differ by their start delay; 100 ms covers it
    mono_got = [sum(c[i] for c in got) for i in range(len(got[0]))]
    mono_ref = [sum(c[i] for c in ref) for i in range(len(ref[0]))]
    # Coarse lag on energy envelopes, then the exact sample near it.
    block = 32
    env_got, env_ref = envelope(mono_got, block), envelope(mono_ref, block)
    coarse = best_lag(env_ref, env_got, (expected_start - slack) // block, (expected_start + slack) // block,
                      length=4 * rate // block)
    window = min(len(mono_got), rate)  # one second is plenty to pin the lag
    skip = min(len(mono_got) - window, rate // 4)
    lag = best_lag(mono_ref, mono_got[skip:], coarse * block + skip - 2 * block, coarse * block + skip + 2 * block,
                   length=window) - skip
    worst = 1.0
    edge = rate // 10 if other_decoder else 0
    for c in range(channels):
        a, b = (got[c], ref[c][lag:]) if lag >= 0 else (got[c][-lag:], ref[c])
        n = min(len(a), len(b))
        r = correlation(a[edge:n - edge], b[edge:n - edge])
        if not r > MIN_CORRELATION:
            fail(f"{path}: channel {c} correlates {r:.6f} with ffmpeg's decoding (lag {lag})")
        worst = min(worst, r)
    if end < 0:  # the whole file: everything up to the stream's end
        missing = (len(ref[0]) - lag) - len(got[0])
        if missing > rate // 20:
            fail(f"{path}: {missing} frames short of ffmpeg's decoding")
    return lag, worst


def check_complete(paths):
    for path in paths:
        frames = check_header(path)[3]
        if not frames:
            fail(f"{path}: no audio after the header")
        print(f"ok {path}: a complete header, {44 + len(frames)} bytes")


def main():
    if sys.argv[1] == "--header":
        return check_complete(sys.argv[2:])
    manifest = sys.argv[1]
    with open(manifest, encoding="utf-8") as f:  # the media's names may be in any script
        entries = [line.rstrip("\r\n").split("\t") for line in f if line.strip()]
    if not entries:
        fail("empty manifest")
    for wav, media, start, end, *rest in entries:
        start, end = int(start), int(end)
        other_decoder = rest == ["other-decoder"]
        channels, rate, bits, frames = check_header(wav)
        stream = probe(media)
        if (int(stream["channels"]), int(stream["sample_rate"])) != (channels, rate):
            fail(f"{wav}: {channels} ch {rate} Hz, the media's stream has {stream['channels']} ch "
                 f"{stream['sample_rate']} Hz")
        # Anything decoded to floating point (pcm_f32 too) reaches the WAV as 16 bits; integer
        # PCM keeps its sample size, or comes as 16 bits where the platform's parser hands it
        # over so (24-bit AIFF).
        codec = stream["codec_name"]
        want_bits = {16}
        if codec.startswith("pcm_") and "_f" not in codec:
            want_bits.add(int(stream.get("bits_per_sample") or 0))
        if bits not in want_bits:
            fail(f"{wav}: {bits} bits, expected {' or '.join(map(str, sorted(want_bits)))}")
        lag, r = check_samples(wav, media, start, end, channels, rate, bits, frames, other_decoder)
        print(f"ok {wav}: {channels} ch {rate} Hz {bits} bit, {len(frames)} bytes, lag {lag}, correlation {r:.6f}")


if __name__ == "__main__":
    try:
        main()
    except AssertionError as e:
        print(f"FAILED: {e}")
        sys.exit(1)
