#!/usr/bin/env python3
"""Writes tests/fuzz/sounds/: small sound files with broken, absurd or unexpected headers,
byte by byte, for the sound decoder's replay test. A name starting with ok_ must decode;
every other file must be refused. Sizes that claim more than the file holds are ok_:
libsndfile trims them to the file, so the claim never reaches an allocation. Same bytes on
every run; rerun after changing it."""
import os
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "sounds")


def chunk(tag, body, size=None):
    pad = b"\0" if len(body) % 2 else b""
    return tag + struct.pack("<I", len(body) if size is None else size) + body + pad


def fmt(tag=1, channels=1, rate=44100, bits=16, align=None, byte_rate=None, extra=b""):
    align = channels * bits // 8 if align is None else align
    byte_rate = rate * align if byte_rate is None else byte_rate
    return struct.pack("<HHIIHH", tag, channels, rate, byte_rate, align, bits) + extra


def samples(n, channels=1):
    return b"".join(struct.pack("<h", (i * 1237) % 20000 - 10000) for i in range(n * channels))


def wav(*chunks, riff_size=None):
    body = b"WAVE" + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body) if riff_size is None else riff_size) + body


def extensible(channels=1, bits=16, sub_format=1):
    guid = struct.pack("<IHH", sub_format, 0, 0x10) + bytes.fromhex("800000aa00389b71")
    extra = struct.pack("<HHI", 22, bits, 4 if channels == 1 else 3) + guid
    return fmt(tag=0xFFFE, channels=channels, bits=bits, extra=extra)


FILES = {
    "ok_tiny.wav": wav(chunk(b"fmt ", fmt()), chunk(b"data", samples(16))),
    "ok_list_chunk_before_data.wav": wav(
        chunk(b"fmt ", fmt()), chunk(b"LIST", b"INFOISFT\x04\0\0\0gen\0"),
        chunk(b"data", samples(16))),
    "ok_extensible_pcm16_mono.wav": wav(chunk(b"fmt ", extensible()),
                                        chunk(b"data", samples(16))),
    "zero_channels.wav": wav(chunk(b"fmt ", fmt(channels=0, align=2)),
                             chunk(b"data", samples(16))),
    "rate_zero.wav": wav(chunk(b"fmt ", fmt(rate=0)), chunk(b"data", samples(16))),
    "rate_4ghz.wav": wav(chunk(b"fmt ", fmt(rate=0xFFFFFFF0, byte_rate=0xFFFFFFFE)),
                         chunk(b"data", samples(16))),
    "rate_1hz.wav": wav(chunk(b"fmt ", fmt(rate=1)), chunk(b"data", samples(16))),
    "stereo.wav": wav(chunk(b"fmt ", fmt(channels=2)), chunk(b"data", samples(16, 2))),
    "channels_65535.wav": wav(chunk(b"fmt ", fmt(channels=65535, align=2, byte_rate=88200)),
                              chunk(b"data", samples(16))),
    "pcm8.wav": wav(chunk(b"fmt ", fmt(bits=8)), chunk(b"data", bytes(range(0, 256, 8)))),
    "pcm24.wav": wav(chunk(b"fmt ", fmt(bits=24)), chunk(b"data", bytes(48))),
    "float32.wav": wav(chunk(b"fmt ", fmt(tag=3, bits=32)), chunk(b"data", bytes(64))),
    "extensible_stereo.wav": wav(chunk(b"fmt ", extensible(channels=2)),
                                 chunk(b"data", samples(16, 2))),
    "extensible_float.wav": wav(chunk(b"fmt ", extensible(bits=32, sub_format=3)),
                                chunk(b"data", bytes(64))),
    "bits_zero.wav": wav(chunk(b"fmt ", fmt(bits=0, align=2)), chunk(b"data", samples(16))),
    "ok_block_align_zero.wav": wav(chunk(b"fmt ", fmt(align=0, byte_rate=88200)),
                                chunk(b"data", samples(16))),
    "data_claims_2gb_none_there.wav": wav(chunk(b"fmt ", fmt())) + b"data" +
    struct.pack("<I", 0x7FFFFFF0),
    "ok_data_claims_4gb_16_frames_there.wav": wav(chunk(b"fmt ", fmt()),
                                               chunk(b"data", samples(16), size=0xFFFFFFF0)),
    "data_empty.wav": wav(chunk(b"fmt ", fmt()), chunk(b"data", b"")),
    "ok_riff_claims_4gb.wav": wav(chunk(b"fmt ", fmt()), chunk(b"data", samples(16)),
                               riff_size=0xFFFFFFFF),
    "fmt_claims_4gb.wav": wav(chunk(b"fmt ", fmt(), size=0xFFFFFFF0), chunk(b"data", samples(16))),
    "fmt_cut_short.wav": wav(chunk(b"fmt ", fmt()))[:28],
    "fmt_missing.wav": wav(chunk(b"data", samples(16))),
    "data_missing.wav": wav(chunk(b"fmt ", fmt())),
    "data_before_fmt.wav": wav(chunk(b"data", samples(16)), chunk(b"fmt ", fmt())),
    "list_claims_4gb.wav": wav(chunk(b"fmt ", fmt()), chunk(b"LIST", b"INFO", size=0xFFFFFFF0),
                               chunk(b"data", samples(16))),
    "riff_only.wav": b"RIFF",
    "empty.wav": b"",
    "text.wav": b"not a sound at all\n",
    # Sun audio, 16-bit linear, one channel: a sound, but not a WAV file.
    "au_pcm16_mono.wav": b".snd" + struct.pack(">IIIII", 24, 32, 3, 44100, 1) + bytes(32),
}


def main():
    os.makedirs(HERE, exist_ok=True)
    for name, data in sorted(FILES.items()):
        with open(os.path.join(HERE, name), "wb") as out:
            out.write(data)


if __name__ == "__main__":
    main()
