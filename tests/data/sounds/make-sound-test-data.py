#!/usr/bin/python3
"""Writes the sound readers' test files beside this script.

Each file is made by an independent encoder (sox, lame, oggenc) and then
changed the way real files are found changed: padding or junk between the
ID3v2 tag and the first MP3 frame or before the first frame of an untagged
file, bytes after the last Ogg page, a WAVE_FORMAT_EXTENSIBLE bits field that
gives the valid bits instead of the container's. Each file that must be read
gets a reference, <name>.ref.raw: the signed 16-bit little-endian interleaved
samples an independent decoder (mpg123, oggdec, libsndfile's sndfile-convert)
reads from it. cases.txt lists every file with its reference ('-' when the
file is refused on purpose), the tolerance per sample, whether the reader must
note a repair ('noted') or not ('clean'), and where the reference came from.

Needs sox, lame, vorbis-tools, mpg123 and sndfile-programs (all in
scripts/install-deps.sh). Run from anywhere:

    tests/data/sounds/make-sound-test-data.py
"""
import os
import struct
import subprocess
import tempfile

OUT = os.path.dirname(os.path.abspath(__file__))
TMP = tempfile.mkdtemp()
cases = []   # (file, reference or None, tolerance, noted, source)


def run(*args, **kw):
    return subprocess.run(list(args), check=True, capture_output=True, **kw).stdout


def tone(name, rate, channels, seconds, bits=16):
    """A short sweep written by sox: every file starts from one of these."""
    path = os.path.join(TMP, name)
    synth = ["sine", "300-2500"] + (["sine", "700-400"] if channels == 2 else [])
    run("sox", "-n", "-r", str(rate), "-c", str(channels), "-b", str(bits), path, "synth", str(seconds), *synth,
        "vol", "0.6")
    return path


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)
    return os.path.join(OUT, name)


def add(name, data, decoder, noted, tolerance=0):
    path = write(name, data)
    ref = os.path.splitext(name)[0] + ".ref.raw"
    if decoder == "mpg123":
        samples = run("mpg123", "-q", "-s", "-e", "s16", path)
    elif decoder == "oggdec":
        samples = run("oggdec", "-Q", "-R", "-b", "16", "-e", "0", "-s", "1", "-o", "-", path)
    else:
        out = os.path.join(TMP, "ref.raw")
        run("sndfile-convert", "-pcm16", path, out)
        with open(out, "rb") as f:
            samples = f.read()
        os.remove(out)
    assert samples, name
    write(ref, samples)
    cases.append((name, ref, tolerance, "noted" if noted else "clean", decoder))


def refuse(name, data, why):
    write(name, data)
    cases.append((name, None, 0, "clean", "refused: " + why))


def id3v2(body):
    n = len(body)
    return b"ID3\x03\x00\x00" + bytes(((n >> 21) & 127, (n >> 14) & 127, (n >> 7) & 127, n & 127)) + body


def write_mp3():
    mp3 = os.path.join(TMP, "m.mp3")
    run("lame", "--quiet", "-b", "32", "-t", tone("m.wav", 16000, 1, 0.25), mp3)
    with open(mp3, "rb") as f:
        plain = f.read()
    frame = b"TIT2" + struct.pack(">I", 6) + b"\0\0\0title"
    add("mp3_clean.mp3", id3v2(frame) + plain, "mpg123", False)
    # Padding the tag does not count, and junk a tagger left behind.
    add("mp3_zeros_after_id3.mp3", id3v2(frame) + b"\0" * 37 + plain, "mpg123", True)
    add("mp3_junk_after_id3.mp3", id3v2(frame) + b"\xff\xfe junk \xff\x00" + plain, "mpg123", True)
    # No tag, bytes before the first frame.
    add("mp3_junk_before_frame.mp3", b"leading bytes\r\n" + plain, "mpg123", True)
    # Frame headers after junk that do not chain (each says 417 bytes, the
    # next comes 104 on): nothing is taken for MP3.
    refuse("mp3_unchained_headers.mp3", id3v2(frame) + b"\0" + (b"\xff\xfb\x90\xc0" + b"\0" * 100) * 4,
           "frame headers that do not chain")


def write_ogg():
    ogg = os.path.join(TMP, "s.ogg")
    run("oggenc", "-Q", "-q", "0", tone("s.wav", 11025, 2, 0.3), "-o", ogg)
    with open(ogg, "rb") as f:
        plain = f.read()
    add("ogg_clean.ogg", plain, "oggdec", False)
    add("ogg_id3v1_after_last_page.ogg", plain + b"TAG" + b"title".ljust(125, b"\0"), "oggdec", True)
    add("ogg_zeros_after_last_page.ogg", plain + b"\0" * 300, "oggdec", True)
    refuse("ogg_chained.ogg", plain + plain, "a second stream chained on")


def extensible(src, bits_field, valid):
    """The PCM of a sox WAV in an extensible format chunk."""
    with open(src, "rb") as f:
        d = f.read()
    at = d.index(b"fmt ")
    tag, channels, rate, _, align, bits = struct.unpack_from("<HHIIHH", d, at + 8)
    at = d.index(b"data")
    pcm = d[at + 8:at + 8 + struct.unpack_from("<I", d, at + 4)[0]]
    container = align // channels * 8
    # The bits below the valid ones are 0, as a writer of `valid` bits leaves them.
    step = container // 8
    out = bytearray(pcm)
    for i in range(0, len(out), step):
        v = int.from_bytes(out[i:i + step], "little") & ~((1 << (container - valid)) - 1)
        out[i:i + step] = v.to_bytes(step, "little")
    guid = struct.pack("<IHH", 1, 0, 0x10) + b"\x80\x00\x00\xaa\x00\x38\x9b\x71"
    fmt = struct.pack("<HHIIHHHHI", 0xFFFE, channels, rate, rate * align, align, bits_field, 22, valid,
                      3 if channels == 2 else 4) + guid
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(out)) + out
    return b"RIFF" + struct.pack("<I", len(body)) + body


def write_wav():
    s24 = tone("s24.wav", 8000, 2, 0.1, 24)
    s16 = tone("s16.wav", 8000, 1, 0.1, 16)
    # The container's size in the bits field, fewer valid bits: read as is.
    add("wav_ext_12_valid_in_16.wav", extensible(s16, 16, 12), "sndfile", False)
    # The valid bits in the bits field: repaired to the container's size. The
    # compressed path's 24-to-16-bit conversion goes through floating point and
    # may land up to two below libsndfile's (as for every 24-bit file).
    add("wav_ext_bits_12_in_16.wav", extensible(s16, 12, 12), "sndfile", True)
    add("wav_ext_bits_20_in_24.wav", extensible(s24, 20, 20), "sndfile", True, 2)


def main():
    for f in os.listdir(OUT):
        if f.endswith((".mp3", ".ogg", ".wav", ".raw")) or f == "cases.txt":
            os.remove(os.path.join(OUT, f))
    write_mp3()
    write_ogg()
    write_wav()
    with open(os.path.join(OUT, "cases.txt"), "w") as f:
        f.write("# Written by make-sound-test-data.py: file, reference samples (or '-' when the file is refused\n"
                "# on purpose), tolerance per sample, whether a repair is noted, where the reference came from.\n")
        for name, ref, tol, noted, src in cases:
            f.write("%s %s %d %s %s\n" % (name, ref or "-", tol, noted, src))
    total = sum(os.path.getsize(os.path.join(OUT, f)) for f in os.listdir(OUT))
    print("%d files, %d bytes" % (len(os.listdir(OUT)), total))


if __name__ == "__main__":
    main()
