#!/usr/bin/python3
"""Writes the image readers' test pictures to tests/data/images/.

Every variant of BMP, TGA, DDS, JPEG and PNG that the readers promise to read
is written here, by Pillow, ImageMagick and libjpeg's tools where they can
write it and byte by byte from a known pixel array where no encoder does. Each
picture that must be read gets a reference, <name>.ref.png, holding the pixels
an independent decoder (Pillow, else ImageMagick) reads from it; where neither
reads the variant, the reference is the generator's own pixel array (or
Pillow's read of an equivalent file: the same pixels in a layout it knows).
cases.txt lists every picture with its reference, the tolerance per channel
and where the reference came from; pictures refused on purpose say "refused".

Needs: python3-pil, imagemagick, libjpeg-turbo-progs, gcc and libjpeg-dev
(for the one YCCK writer), all in scripts/install-deps.sh. Run from anywhere:

    scripts/make-image-test-data.py

It prints, per picture, whether Pillow, ImageMagick and the generator's own
pixels agree, so that a disagreement between decoders is visible.
"""
import io
import os
import random
import struct
import subprocess
import sys
import tempfile

from PIL import Image

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "tests", "data", "images")
W, H = 11, 7   # odd sizes: row padding, half bytes and partial 4x4 blocks
TMP = tempfile.mkdtemp()
cases = []     # (file, reference or None, tolerance, source)
report = []


def source(x, y):
    """The test picture: gradients, a few saturated corners, varied alpha."""
    r = (x * 23 + y * 7) & 255
    g = (255 - x * 19 + y * 31) & 255
    b = (x * y * 13 + 40) & 255
    a = 255 if (x + y) % 3 else (x * 37 + y * 11) & 255
    if x == 0 and y == 0:
        r, g, b = 255, 255, 255
    if x == W - 1 and y == H - 1:
        r, g, b = 0, 0, 0
    return r, g, b, a


PIXELS = [[source(x, y) for x in range(W)] for y in range(H)]


def rgba_image(pixels=PIXELS, alpha=True):
    h, w = len(pixels), len(pixels[0])
    im = Image.new("RGBA", (w, h))
    im.putdata([p if alpha else p[:3] + (255,) for row in pixels for p in row])
    return im


def widen(v, bits):
    r, filled = 0, 0
    while filled < 8:
        r = (r << bits) | v
        filled += bits
    return r >> (filled - 8)


def pillow_read(path):
    try:
        with Image.open(path) as im:
            return im.convert("RGBA").copy()
    except Exception:
        return None


def magick_read(path):
    try:
        size = subprocess.run(["identify", "-format", "%w %h\n", path], capture_output=True, check=True,
                              text=True).stdout.split("\n")[0].split()
        raw = subprocess.run(["convert", path + "[0]", "-auto-orient", "-depth", "8", "rgba:-"], capture_output=True,
                             check=True).stdout
        w, h = int(size[0]), int(size[1])
        if len(raw) != w * h * 4:
            return None
        return Image.frombytes("RGBA", (w, h), raw)
    except Exception:
        return None


def differs(a, b):
    if a is None or b is None:
        return None
    if a.size != b.size:
        return 999
    return max(max(abs(p - q) for p, q in zip(pa, pb)) for pa, pb in zip(a.getdata(), b.getdata()))


def add(name, data, expected=None, prefer=("pillow", "magick", "self"), tolerance=0, equivalent=None, noted=False):
    """Writes one picture that must be read, and its reference.

    expected: the generator's own pixels (an RGBA image) when it knows them;
    equivalent: bytes of the same picture in a layout Pillow reads, used
    when no decoder reads `data` itself; noted: the picture breaks a rule of
    its format that readers forgive, and the reader must say what it repaired."""
    path = os.path.join(OUT, name)
    with open(path, "wb") as f:
        f.write(data)
    reads = {"pillow": pillow_read(path), "magick": magick_read(path), "self": expected}
    if equivalent is not None:
        eq = os.path.join(TMP, "equivalent" + os.path.splitext(name)[1])
        with open(eq, "wb") as f:
            f.write(equivalent)
        reads["pillow-equivalent"] = pillow_read(eq)
        prefer = ("pillow-equivalent",) + tuple(prefer)
    # The first independent reading that matches the generator's own pixels;
    # where none does, the generator's pixels (they spell the rule the reader
    # follows, e.g. widening 5-bit channels by bit replication) and the report
    # shows how far each decoder is from them.
    readers = [k for k in prefer if k != "self" and reads.get(k) is not None]
    if expected is not None:
        agree = [k for k in readers if differs(expected, reads[k]) == 0]
        chosen = agree[0] if agree else "self"
    elif readers:
        chosen = readers[0]
    else:
        sys.exit("no decoder reads " + name)
    ref = reads[chosen]
    refname = os.path.splitext(name)[0] + ".ref.png"
    ref.save(os.path.join(OUT, refname))
    cases.append((name, refname, tolerance, chosen + (" noted" if noted else "")))
    notes = []
    for k, v in reads.items():
        d = differs(ref, v)
        notes.append("%s=%s" % (k, "-" if d is None else d))
    report.append("%-28s ref %-17s %s" % (name, chosen, " ".join(notes)))


def refuse(name, data, why):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)
    cases.append((name, None, 0, "refused: " + why))
    report.append("%-28s refused (%s)" % (name, why))


# ---------------------------------------------------------------- BMP

def palette_picture(colours):
    """A palette of `colours` entries and the indices of the test picture."""
    pal = [(i * 53 % 256, i * 97 % 256, i * 151 % 256) for i in range(colours)]
    idx = [[(x * 3 + y * 5 + x * y) % colours for x in range(W)] for y in range(H)]
    return pal, idx


def indexed_expected(pal, idx):
    return rgba_image([[pal[i] + (255,) if i < len(pal) else (0, 0, 0, 255) for i in row] for row in idx])


def pack_row(values, bpp):
    out, acc, n = bytearray(), 0, 0
    for v in values:
        acc = (acc << bpp) | v
        n += bpp
        while n >= 8:
            out.append((acc >> (n - 8)) & 255)
            n -= 8
    if n:
        out.append((acc << (8 - n)) & 255)
    return bytes(out)


def bmp_file(info, palette_bytes, rows_bottom_up, extra=b"", gap=b"", offset=None):
    """gap: bytes between the palette and the pixels; offset: the pixel offset
    the header gives, when not the true one."""
    body = b"".join(rows_bottom_up)
    true_offset = 14 + len(info) + len(extra) + len(palette_bytes) + len(gap)
    offset = true_offset if offset is None else offset
    return (b"BM" + struct.pack("<IHHI", true_offset + len(body), 0, 0, offset) + info + extra + palette_bytes + gap +
            body)


def pad4(b):
    return b + b"\0" * (-len(b) % 4)


def win_info(size, w, h, bpp, compression=0, colours=0, masks=None, image_size=0):
    info = struct.pack("<IiiHHIIiiII", size, w, h, 1, bpp, compression, image_size, 2835, 2835, colours, 0)
    if size > 40:
        m = list(masks or [0, 0, 0, 0]) + [0] * 4
        info += struct.pack("<4I", *m[:4])
        info += b"\0" * (size - len(info))
        info = info[:size]
    return info


def bmp_indexed(name, bpp, header="win", colours=None, top_down=False, out_of_range=False, listed=None,
                gap=b"", prefer=("pillow", "magick", "self"), noted=False):
    """listed: the palette's length when the file lists more colours than the
    depth can index (the picture uses the first 2^bpp)."""
    colours = colours or (1 << bpp)
    pal, idx = palette_picture(colours + (2 if out_of_range else 0))
    pal = pal[:colours]
    extra_pal = palette_picture(listed)[0][colours:] if listed else []
    rows = [pad4(pack_row(r, bpp)) for r in idx]
    order = rows if top_down else rows[::-1]
    if header == "os2v1":
        info = struct.pack("<IHHHH", 12, W, H, 1, bpp)
        palb = b"".join(bytes((b, g, r)) for r, g, b in pal)
    elif header == "os2v2":
        info = struct.pack("<IIIHHIIIIII", 64, W, H, 1, bpp, 0, 0, 0, 0, colours, 0) + b"\0" * 24
        palb = b"".join(bytes((b, g, r, 0)) for r, g, b in pal)
    elif header == "os2v2short":
        info = struct.pack("<IIIHH", 16, W, H, 1, bpp)
        palb = b"".join(bytes((b, g, r, 0)) for r, g, b in pal)
    else:
        count = listed or (colours if colours != 1 << bpp or out_of_range else 0)
        info = win_info(40, W, -H if top_down else H, bpp, colours=count)
        palb = b"".join(bytes((b, g, r, 0)) for r, g, b in pal + extra_pal)
    add(name, bmp_file(info, palb, order, gap=gap), indexed_expected(pal, idx), prefer, noted=noted)


def bmp_direct(name, bpp, masks=None, header=40, compression=None, top_down=False):
    """16/24/32-bit pictures; masks (r, g, b, a) give the bit fields."""
    pixels = PIXELS
    if masks is None and bpp in (16, 32):
        masks = (0x7C00, 0x3E0, 0x1F, 0) if bpp == 16 else (0xFF0000, 0xFF00, 0xFF, 0)
    rows, expected = [], []
    for row in pixels:
        out, exp = bytearray(), []
        for r, g, b, a in row:
            if bpp == 24:
                out += bytes((b, g, r))
                exp.append((r, g, b, 255))
                continue
            v, e = 0, []
            for c, m in zip((r, g, b, a), masks):
                if not m:
                    e.append(0)
                    continue
                shift = (m & -m).bit_length() - 1
                bits = bin(m).count("1")
                q = c >> (8 - bits) if bits <= 8 else c << (bits - 8)
                v |= q << shift
                e.append(widen(q, bits) if bits < 8 else c)
            out += struct.pack("<H" if bpp == 16 else "<I", v)
            exp.append((e[0], e[1], e[2], e[3] if masks[3] else 255))
        rows.append(pad4(bytes(out)))
        expected.append(exp)
    order = rows if top_down else rows[::-1]
    h = -H if top_down else H
    default = bpp == 24 or masks in ((0x7C00, 0x3E0, 0x1F, 0), (0xFF0000, 0xFF00, 0xFF, 0))
    if compression is None:
        compression = 0 if default and header == 40 else (6 if masks[3] and header == 40 else 3)
    extra = b""
    if header == 40:
        info = win_info(40, W, h, bpp, compression)
        if compression == 3:
            extra = struct.pack("<3I", *masks[:3])
        elif compression == 6:
            extra = struct.pack("<4I", *masks)
    else:
        info = win_info(header, W, h, bpp, compression, masks=masks)
    add(name, bmp_file(info, b"", order, extra), rgba_image(expected))


def rle_encode(idx, four, with_delta):
    """Run-length data: runs, absolute blocks, end of line, a delta, end of picture.
    Returns the data and the indices as the file describes them (skipped = 0)."""
    seen = [[0] * W for _ in range(H)]
    out = bytearray()
    rows = idx[::-1]   # bottom-up
    y = 0
    while y < H:
        row = rows[y]
        x = 0
        if with_delta and y == 2:
            # skip 3 pixels right and one row up: the rest of row 2 and the
            # first 3 pixels of row 3 stay index 0
            out += bytes((0, 2, 3, 1))
            y += 1
            x = 3
            row = rows[y]
        while x < W:
            run = 1
            while x + run < W and run < 255 and (row[x + run] == row[x] if not four else
                                                 row[x + run] == row[x + (run & 1)]):
                run += 1
            if four and run < 3 and W - x >= 3:
                # an absolute block of up to 5 pixels
                n = min(5, W - x)
                vals = row[x:x + n]
                block = pack_row(vals, 4)
                out += bytes((0, n)) + block + b"\0" * (len(block) & 1)
                for i in range(n):
                    seen[H - 1 - y][x + i] = vals[i]
                x += n
                continue
            if not four and run == 1 and W - x >= 3 and row[x + 1] != row[x + 2]:
                n = min(3, W - x)
                vals = row[x:x + n]
                out += bytes((0, n)) + bytes(vals) + b"\0" * (n & 1)
                for i in range(n):
                    seen[H - 1 - y][x + i] = vals[i]
                x += n
                continue
            if four:
                pair = (row[x] << 4) | (row[x + 1] if run > 1 else 0)
                out += bytes((run, pair))
            else:
                out += bytes((run, row[x]))
            for i in range(run):
                seen[H - 1 - y][x + i] = row[x + (i & 1)] if four else row[x]
            x += run
        y += 1
        if y < H:
            out += b"\0\0"
    out += b"\0\1"
    return bytes(out), seen


def rle8_past_edge(idx, block):
    """8-bit run-length data whose rows each carry 3 pixels too many: as one
    run at the row's end, or as an absolute block over the whole row."""
    out = bytearray()
    for row in idx[::-1]:
        if block:
            vals = row + [1, 2, 3]
            out += bytes((0, len(vals))) + bytes(vals) + b"\0" * (len(vals) & 1)
        else:
            x = 0
            while x < W - 1:
                out += bytes((1, row[x]))
                x += 1
            out += bytes((4, row[W - 1]))
        out += b"\0\0"
    return bytes(out[:-2]) + b"\0\1"


def bmp_rle(name, four, with_delta):
    bpp = 4 if four else 8
    colours = 16 if four else 40
    pal, idx = palette_picture(colours)
    if four:
        # runs of equal pairs so that encoded runs occur
        idx = [[(x // 3 + y) % colours for x in range(W)] for y in range(H)]
    else:
        idx = [[(x // 4 * 7 + y * 3) % colours if x < 8 else (x * 11 + y) % colours for x in range(W)]
               for y in range(H)]
    data, seen = rle_encode(idx, four, with_delta)
    info = win_info(40, W, H, bpp, 2 if four else 1, colours, image_size=len(data))
    palb = b"".join(bytes((b, g, r, 0)) for r, g, b in pal)
    offset = 14 + 40 + len(palb)
    f = b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) + info + palb + data
    # Pillow 9.4 misreads deltas (it consumes four bytes for the two of a
    # delta), so pictures with a delta take ImageMagick's reading.
    prefer = ("magick", "pillow", "self") if with_delta else ("pillow", "magick", "self")
    add(name, f, indexed_expected(pal, seen), prefer)
    return f, len(palb)


def write_bmp():
    for bpp in (1, 2, 4, 8):
        bmp_indexed("bmp_pal%d.bmp" % bpp, bpp)
    bmp_indexed("bmp_pal8_topdown.bmp", 8, top_down=True)
    bmp_indexed("bmp_pal8_short.bmp", 8, colours=40)
    bmp_indexed("bmp_pal4_past_palette.bmp", 4, colours=6, out_of_range=True)
    bmp_indexed("bmp_os2v1_pal8.bmp", 8, header="os2v1")
    bmp_indexed("bmp_os2v1_pal1.bmp", 1, header="os2v1")
    bmp_indexed("bmp_os2v2_pal4.bmp", 4, header="os2v2")
    bmp_indexed("bmp_os2v2_short_pal8.bmp", 8, header="os2v2short")
    # OS/2 1.x 24-bit
    rows = [pad4(b"".join(bytes((b, g, r)) for r, g, b, a in row)) for row in PIXELS]
    add("bmp_os2v1_rgb24.bmp", bmp_file(struct.pack("<IHHHH", 12, W, H, 1, 24), b"", rows[::-1]),
        rgba_image(alpha=False))
    bmp_direct("bmp_rgb24.bmp", 24)
    bmp_direct("bmp_rgb24_topdown.bmp", 24, top_down=True)
    bmp_direct("bmp_rgb555.bmp", 16)
    bmp_direct("bmp_rgb565.bmp", 16, (0xF800, 0x7E0, 0x1F, 0))
    bmp_direct("bmp_argb4444_v5.bmp", 16, (0xF00, 0xF0, 0xF, 0xF000), header=124)
    bmp_direct("bmp_argb1555_alphabitfields.bmp", 16, (0x7C00, 0x3E0, 0x1F, 0x8000))
    bmp_direct("bmp_xrgb32.bmp", 32)
    bmp_direct("bmp_rgb32_bitfields.bmp", 32, (0xFF000000, 0xFF0000, 0xFF00, 0))
    bmp_direct("bmp_argb32_v4.bmp", 32, (0xFF0000, 0xFF00, 0xFF, 0xFF000000), header=108)
    bmp_direct("bmp_abgr32_v5.bmp", 32, (0xFF, 0xFF00, 0xFF0000, 0xFF000000), header=124)
    bmp_direct("bmp_argb32_v3_56.bmp", 32, (0xFF0000, 0xFF00, 0xFF, 0xFF000000), header=56)
    bmp_direct("bmp_rgb32_v2_52.bmp", 32, (0xFF0000, 0xFF00, 0xFF, 0), header=52)
    bmp_direct("bmp_argb32_alphabitfields.bmp", 32, (0xFF0000, 0xFF00, 0xFF, 0xFF000000))
    bmp_direct("bmp_rgb101010.bmp", 32, (0x3FF00000, 0xFFC00, 0x3FF, 0))
    bmp_direct("bmp_rgb444_topdown.bmp", 16, (0xF00, 0xF0, 0xF, 0), top_down=True)
    bmp_rle("bmp_rle8.bmp", False, False)
    rle8, pal8 = bmp_rle("bmp_rle8_delta.bmp", False, True)
    bmp_rle("bmp_rle4.bmp", True, False)
    rle4, pal4 = bmp_rle("bmp_rle4_delta.bmp", True, True)
    # Runs and absolute blocks past the right edge: cut at the edge.
    pal, idx = palette_picture(40)
    palb = b"".join(bytes((b, g, r, 0)) for r, g, b in pal)
    for name, block in (("bmp_rle8_run_past_row.bmp", False), ("bmp_rle8_block_past_row.bmp", True)):
        data = rle8_past_edge(idx, block)
        offset = 14 + 40 + len(palb)
        f = (b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) +
             win_info(40, W, H, 8, 1, 40, image_size=len(data)) + palb + data)
        add(name, f, indexed_expected(pal, idx), noted=True)
    # A delta past the last row.
    bad = bytearray(rle4)
    delta = bad.index(bytes((0, 2, 3, 1)), 14 + 40 + pal4)
    bad[delta + 3] = H
    refuse("bmp_rle4_delta_past_picture.bmp", bytes(bad), "delta past the last row")
    bad = bytearray(rle8)
    refuse("bmp_rle8_cut.bmp", bytes(bad[:len(bad) * 2 // 3]), "data ends with rows unfilled")
    # Palettes: more colours listed than the depth indexes (the first 2^bpp
    # used), and no count with room for fewer than 2^bpp before the pixels
    # (all that fit).
    bmp_indexed("bmp_pal4_lists_256.bmp", 4, listed=256, noted=True)
    bmp_indexed("bmp_os2v1_pal8_100_colours.bmp", 8, header="os2v1", colours=100, noted=True)
    # Pixels further on than the palette's end, and a pixel offset of 0.
    bmp_indexed("bmp_pal8_pixels_past_gap.bmp", 8, gap=b"\xa5" * 70)
    rows = [pad4(b"".join(bytes((b, g, r)) for r, g, b, a in row)) for row in PIXELS]
    add("bmp_rgb24_offset_0.bmp", bmp_file(win_info(40, W, H, 24), b"", rows[::-1], offset=0),
        rgba_image(alpha=False), noted=True)
    refuse("bmp_jpeg_inside.bmp", bmp_file(win_info(40, W, H, 0, 4), b"", [b"\xff\xd8\xff"]),
           "embedded JPEG")
    refuse("bmp_rgb64.bmp", bmp_file(win_info(40, 1, 1, 64), b"", [b"\0" * 8]), "64 bits per pixel")


# ---------------------------------------------------------------- TGA

def tga_file(image_type, bits, desc, pixel_bytes, cmap=None, cmap_first=0, cmap_bits=0, ident=b""):
    """pixel_bytes: the stored pixel data (already run-length coded if so)."""
    cm = cmap or b""
    n = len(cm) // ((cmap_bits + 7) // 8) if cmap else 0
    head = struct.pack("<BBBHHBHHHHBB", len(ident), 1 if cmap else 0, image_type, cmap_first, n, cmap_bits, 0,
                       0, W, H, bits, desc)
    return head + ident + cm + pixel_bytes + b"\0" * 8 + b"TRUEVISION-XFILE.\0"


def tga_rle(pixels):
    """Run-length packets over a flat list of stored pixels (bytes each)."""
    out, i = bytearray(), 0
    while i < len(pixels):
        run = 1
        while i + run < len(pixels) and run < 128 and pixels[i + run] == pixels[i]:
            run += 1
        if run > 1:
            out += bytes((0x80 | (run - 1),)) + pixels[i]
            i += run
            continue
        n = 1
        while i + n < len(pixels) and n < 128 and pixels[i + n] != pixels[i + n - 1]:
            n += 1
        out += bytes((n - 1,)) + b"".join(pixels[i:i + n])
        i += n
    return bytes(out)


def stored_rows(desc):
    """Row and column order the descriptor asks for, as (x, y) lists."""
    ys = range(H) if desc & 0x20 else range(H - 1, -1, -1)
    xs = range(W - 1, -1, -1) if desc & 0x10 else range(W)
    return [(x, y) for y in ys for x in xs]


def tga_true(name, bits, desc=0, rle=False, alpha_bit=False):
    stored, exp = [], [[None] * W for _ in range(H)]
    for x, y in stored_rows(desc):
        r, g, b, a = PIXELS[y][x]
        if bits in (15, 16):
            a1 = 1 if a >= 128 else 0
            v = (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3) | (a1 << 15 if bits == 16 else 0)
            stored.append(struct.pack("<H", v))
            exp[y][x] = (widen(r >> 3, 5), widen(g >> 3, 5), widen(b >> 3, 5),
                         (255 if a1 else 0) if alpha_bit else 255)
        elif bits == 24:
            stored.append(bytes((b, g, r)))
            exp[y][x] = (r, g, b, 255)
        else:
            stored.append(bytes((b, g, r, a)))
            exp[y][x] = (r, g, b, a)
    data = tga_rle(stored) if rle else b"".join(stored)
    desc |= 1 if alpha_bit else (8 if bits == 32 else 0)
    add(name, tga_file(10 if rle else 2, bits, desc, data, ident=b"vortalis"), rgba_image(exp))


def tga_mapped(name, cmap_bits, first, rle=False, desc=0x20):
    colours = 24
    pal = [(i * 53 % 256, i * 97 % 256, i * 151 % 256, (i * 40) % 256) for i in range(colours)]
    cmap = bytearray()
    entries = []
    for r, g, b, a in pal:
        if cmap_bits in (15, 16):
            cmap += struct.pack("<H", (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3))
            entries.append((widen(r >> 3, 5), widen(g >> 3, 5), widen(b >> 3, 5), 255))
        elif cmap_bits == 24:
            cmap += bytes((b, g, r))
            entries.append((r, g, b, 255))
        else:
            cmap += bytes((b, g, r, a))
            entries.append((r, g, b, a))
    stored, exp = [], [[None] * W for _ in range(H)]
    for x, y in stored_rows(desc):
        i = (x // 2 + y * 3) % colours
        stored.append(bytes((first + i,)))
        exp[y][x] = entries[i]
    data = tga_rle(stored) if rle else b"".join(stored)
    add(name, tga_file(9 if rle else 1, 8, desc, data, bytes(cmap), first, cmap_bits), rgba_image(exp))


def tga_grey(name, alpha, rle, desc=0):
    stored, exp = [], [[None] * W for _ in range(H)]
    for x, y in stored_rows(desc):
        r, g, b, a = PIXELS[y][x]
        stored.append(bytes((g, a)) if alpha else bytes((g,)))
        exp[y][x] = (g, g, g, a if alpha else 255)
    data = tga_rle(stored) if rle else b"".join(stored)
    add(name, tga_file(11 if rle else 3, 16 if alpha else 8, desc | (8 if alpha else 0), data), rgba_image(exp))


def write_tga():
    tga_grey("tga_grey8.tga", False, False)
    tga_grey("tga_grey8_rle.tga", False, True, 0x20)
    tga_grey("tga_grey_alpha16.tga", True, False, 0x20)
    tga_grey("tga_grey_alpha16_rle.tga", True, True)
    tga_true("tga_rgb15.tga", 15)
    tga_true("tga_rgb16.tga", 16, 0x20)
    tga_true("tga_argb1555.tga", 16, 0x20, alpha_bit=True)
    tga_true("tga_argb1555_rle.tga", 16, 0, True, alpha_bit=True)
    tga_true("tga_rgb24.tga", 24)
    tga_true("tga_rgb24_rle.tga", 24, 0x20, True)
    tga_true("tga_rgb24_right_to_left.tga", 24, 0x10)
    tga_true("tga_rgb24_top_right.tga", 24, 0x30, True)
    tga_true("tga_argb32.tga", 32, 0x20)
    tga_true("tga_argb32_rle.tga", 32, 0, True)
    tga_mapped("tga_map24.tga", 24, 0)
    tga_mapped("tga_map24_rle_first5.tga", 24, 5, True, 0)
    tga_mapped("tga_map16_first3.tga", 16, 3)
    tga_mapped("tga_map15_rle.tga", 15, 0, True)
    tga_mapped("tga_map32.tga", 32, 0, False, 0)
    tga_mapped("tga_map32_rle_first7.tga", 32, 7, True)
    # Pillow's own writer: grey, palette and RGBA, run-length and not.
    for mode, rle in (("L", False), ("P", True), ("RGBA", True), ("RGB", False)):
        im = rgba_image()
        im = im.convert(mode) if mode != "P" else im.convert("RGB").quantize(16)
        buf = io.BytesIO()
        im.save(buf, "TGA", rle=rle)
        add("tga_pillow_%s%s.tga" % (mode.lower(), "_rle" if rle else ""), buf.getvalue())
    # The last run-length packet reaches past the picture: its surplus dropped.
    stored, exp = [], [[None] * W for _ in range(H)]
    for x, y in stored_rows(0x20):
        r, g, b, a = PIXELS[y][x]
        stored.append(bytes((b, g, r)))
        exp[y][x] = (r, g, b, 255)
    # The last two pixels as a run of 7.
    data = tga_rle(stored[:-2]) + bytes((0x80 | 6,)) + stored[-2]
    exp[H - 1][W - 1] = exp[H - 1][W - 2]
    add("tga_rgb24_rle_past_picture.tga", tga_file(10, 24, 0x20, data), rgba_image(exp),
        prefer=("magick", "pillow", "self"), noted=True)
    plain = tga_file(2, 24, 0, b"\0" * (W * H * 3))[:-26]
    refuse("tga_no_footer.tga", plain, "version 1 file without the footer")
    refuse("tga_huffman32.tga", tga_file(32, 8, 0, b"\0" * (W * H)), "Huffman-coded type 32")


# ---------------------------------------------------------------- DDS

DDPF_ALPHAPIXELS, DDPF_ALPHA, DDPF_FOURCC, DDPF_RGB, DDPF_LUMINANCE = 0x1, 0x2, 0x4, 0x40, 0x20000


def dds_header(w, h, pf_flags, fourcc=b"\0\0\0\0", bits=0, masks=(0, 0, 0, 0), mips=1, caps2=0, depth=0,
               flags=0x1007):
    if mips > 1:
        flags |= 0x20000
    if depth:
        flags |= 0x800000
    return (b"DDS " + struct.pack("<7I", 124, flags, h, w, 0, depth, mips) + b"\0" * 44 +
            struct.pack("<2I", 32, pf_flags) + fourcc + struct.pack("<5I", bits, *masks) +
            struct.pack("<5I", 0x1000 | (0x400008 if mips > 1 else 0), caps2, 0, 0, 0))


def dx10(w, h, fmt, dimension=3, misc=0, array=1):
    return dds_header(w, h, DDPF_FOURCC, b"DX10") + struct.pack("<5I", fmt, dimension, misc, array, 0)


def masked(pixels, bits, masks, grey=False):
    data, exp = bytearray(), []
    for row in pixels:
        erow = []
        for r, g, b, a in row:
            v, e = 0, []
            for c, m in zip((g if grey else r, g, b, a), masks):
                if not m:
                    e.append(None)
                    continue
                shift = (m & -m).bit_length() - 1
                n = bin(m).count("1")
                q = c >> (8 - n)
                v |= q << shift
                e.append(widen(q, n))
            data += v.to_bytes(bits // 8, "little")
            alpha = e[3] if e[3] is not None else 255
            if grey:
                erow.append((e[0], e[0], e[0], alpha))
            elif masks[0] or masks[1] or masks[2]:
                erow.append((e[0], e[1], e[2], alpha))
            else:
                erow.append((0, 0, 0, alpha))
        exp.append(erow)
    return bytes(data), rgba_image(exp)


def half(pixels):
    h, w = len(pixels), len(pixels[0])
    return [[pixels[min(2 * y, h - 1)][min(2 * x, w - 1)] for x in range((w + 1) // 2)] for y in range((h + 1) // 2)]


def dds_masked(name, pf, bits, masks, mips=1, grey=False, prefer=("pillow", "magick", "self")):
    data, exp = masked(PIXELS, bits, masks, grey)
    level = PIXELS
    for _ in range(mips - 1):
        level = half(level)
        data += masked(level, bits, masks, grey)[0]
    add(name, dds_header(W, H, pf, bits=bits, masks=masks, mips=mips) + data, exp, prefer)


def random_blocks(count, size, rnd, bc7=False):
    out = bytearray()
    for i in range(count):
        b = bytearray(rnd.getrandbits(8) for _ in range(size))
        if bc7:
            mode = i % 8
            b[0] = (b[0] & ~((1 << (mode + 1)) - 1) & 255) | (1 << mode)
        out += b
    return bytes(out)


def write_dds():
    rnd = random.Random(17)
    dds_masked("dds_argb32.dds", DDPF_RGB | DDPF_ALPHAPIXELS, 32, (0xFF0000, 0xFF00, 0xFF, 0xFF000000))
    dds_masked("dds_argb32_mips.dds", DDPF_RGB | DDPF_ALPHAPIXELS, 32, (0xFF0000, 0xFF00, 0xFF, 0xFF000000), 4)
    dds_masked("dds_xrgb32.dds", DDPF_RGB, 32, (0xFF0000, 0xFF00, 0xFF, 0))
    dds_masked("dds_abgr32.dds", DDPF_RGB | DDPF_ALPHAPIXELS, 32, (0xFF, 0xFF00, 0xFF0000, 0xFF000000))
    dds_masked("dds_rgb24.dds", DDPF_RGB, 24, (0xFF0000, 0xFF00, 0xFF, 0))
    dds_masked("dds_rgb565.dds", DDPF_RGB, 16, (0xF800, 0x7E0, 0x1F, 0))
    dds_masked("dds_argb1555.dds", DDPF_RGB | DDPF_ALPHAPIXELS, 16, (0x7C00, 0x3E0, 0x1F, 0x8000))
    dds_masked("dds_argb4444_mips.dds", DDPF_RGB | DDPF_ALPHAPIXELS, 16, (0xF00, 0xF0, 0xF, 0xF000), 3)
    dds_masked("dds_l8.dds", DDPF_LUMINANCE, 8, (0xFF, 0, 0, 0), grey=True)
    dds_masked("dds_a8l8.dds", DDPF_LUMINANCE | DDPF_ALPHAPIXELS, 16, (0xFF, 0, 0, 0xFF00), grey=True)
    dds_masked("dds_a8.dds", DDPF_ALPHA, 8, (0, 0, 0, 0xFF))
    # Luminance whose mask lies outside its 8 bits, and luminance said to be
    # 24 bits (as one writer copies its RGB header): the bytes are L.
    grey = bytes(g for row in PIXELS for r, g, b, a in row)
    grey_image = rgba_image([[(g, g, g, 255) for r, g, b, a in row] for row in PIXELS])
    add("dds_l8_mask_outside.dds", dds_header(W, H, DDPF_LUMINANCE, bits=8, masks=(0xFF00, 0, 0, 0)) + grey,
        grey_image, noted=True)
    add("dds_l8_said_24_bits.dds", dds_header(W, H, DDPF_LUMINANCE, bits=24, masks=(0xFF0000, 0xFF00, 0xFF, 0)) +
        grey, grey_image, noted=True)
    bw, bh = (W + 3) // 4, (H + 3) // 4
    n = bw * bh
    legacy = {"DXT1": 8, "DXT3": 16, "DXT5": 16, "ATI1": 8, "ATI2": 16}
    blocks = {k: random_blocks(n, v, rnd) for k, v in legacy.items()}
    for k, v in blocks.items():
        add("dds_%s.dds" % k.lower(), dds_header(W, H, DDPF_FOURCC, k.encode()) + v)
    # Mipmapped DXT5: the smaller levels follow the top one.
    add("dds_dxt5_mips.dds", dds_header(W, H, DDPF_FOURCC, b"DXT5", mips=3) + blocks["DXT5"] +
        random_blocks(2, 16, rnd) + random_blocks(1, 16, rnd))
    for code, same in (("BC4U", "ATI1"), ("BC5U", "ATI2")):
        add("dds_%s.dds" % code.lower(), dds_header(W, H, DDPF_FOURCC, code.encode()) + blocks[same],
            equivalent=dds_header(W, H, DDPF_FOURCC, same.encode()) + blocks[same])
    # The extended header: the same blocks under DXGI format numbers.
    for fmt, same in ((71, "DXT1"), (72, "DXT1"), (74, "DXT3"), (77, "DXT5"), (78, "DXT5"), (80, "ATI1"),
                      (83, "ATI2")):
        add("dds_dx10_%d.dds" % fmt, dx10(W, H, fmt) + blocks[same],
            equivalent=dds_header(W, H, DDPF_FOURCC, same.encode()) + blocks[same])
    rgba = b"".join(bytes(p) for row in PIXELS for p in row)
    bgra = b"".join(bytes((b, g, r, a)) for row in PIXELS for r, g, b, a in row)
    argb_legacy = dds_header(W, H, DDPF_RGB | DDPF_ALPHAPIXELS, bits=32,
                             masks=(0xFF0000, 0xFF00, 0xFF, 0xFF000000)) + bgra
    add("dds_dx10_rgba.dds", dx10(W, H, 28) + rgba)
    add("dds_dx10_rgba_srgb.dds", dx10(W, H, 29) + rgba)
    add("dds_dx10_bgra.dds", dx10(W, H, 87) + bgra, equivalent=argb_legacy)
    add("dds_dx10_bgra_srgb.dds", dx10(W, H, 91) + bgra, equivalent=argb_legacy)
    # BC7: every mode, random block contents, on a picture of 8 x 8 blocks.
    bc7 = random_blocks(64, 16, rnd, bc7=True)
    add("dds_dx10_bc7.dds", dx10(31, 29, 98) + bc7)
    add("dds_dx10_bc7_srgb.dds", dx10(31, 29, 99) + bc7, equivalent=dx10(31, 29, 98) + bc7)
    top = blocks["DXT1"]
    refuse("dds_cubemap.dds", dds_header(W, H, DDPF_FOURCC, b"DXT1", caps2=0xFE00) + top * 6, "cube map")
    refuse("dds_volume.dds", dds_header(W, H, DDPF_FOURCC, b"DXT1", caps2=0x200000, depth=2) + top * 2,
           "volume texture")
    refuse("dds_dx10_cube.dds", dx10(W, H, 71, misc=4, array=1) + top * 6, "cube map")
    refuse("dds_dx10_bc6h.dds", dx10(W, H, 95) + random_blocks(n, 16, rnd), "BC6H (HDR)")
    refuse("dds_dx10_float.dds", dx10(W, H, 2) + b"\0" * (16 * W * H), "32-bit float channels")
    refuse("dds_dx10_bc5_snorm.dds", dx10(W, H, 84) + blocks["ATI2"], "signed BC5")
    refuse("dds_float16_fourcc.dds", dds_header(W, H, DDPF_FOURCC, struct.pack("<I", 113)) + b"\0" * (8 * W * H),
           "16-bit float channels")


# ---------------------------------------------------------------- JPEG

YCCK_WRITER = r"""
#include <stdio.h>
#include <stdlib.h>
#include <jpeglib.h>
/* Reads W H and W*H*4 CMYK bytes (inverted, as Adobe stores them) on stdin,
   writes a YCCK JPEG with Adobe's marker on stdout. */
int main(void) {
    int w, h;
    if (scanf("%d %d", &w, &h) != 2) return 1;
    getchar();
    unsigned char* px = malloc((size_t)w * h * 4);
    if (fread(px, 4, (size_t)w * h, stdin) != (size_t)w * h) return 1;
    struct jpeg_compress_struct c;
    struct jpeg_error_mgr err;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, stdout);
    c.image_width = w;
    c.image_height = h;
    c.input_components = 4;
    c.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&c);
    jpeg_set_colorspace(&c, JCS_YCCK);
    jpeg_set_quality(&c, 95, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW r = px + (size_t)c.next_scanline * w * 4;
        jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    return 0;
}
"""


def jpeg_picture():
    # Smooth content on a 16 x 16 picture keeps IDCT differences small.
    return Image.frombytes("RGB", (16, 16), bytes(
        v for y in range(16) for x in range(16) for v in (x * 15, y * 15, (x + y) * 7 + 20)))


def write_jpeg():
    pic = jpeg_picture()
    src_ppm = os.path.join(TMP, "pic.ppm")
    pic.save(src_ppm)

    def saved(**kw):
        buf = io.BytesIO()
        kw.setdefault("quality", 92)
        (kw.pop("image", pic)).save(buf, "JPEG", **kw)
        return buf.getvalue()

    add("jpeg_baseline.jpg", saved(), tolerance=2)
    add("jpeg_progressive.jpg", saved(progressive=True), tolerance=2)
    add("jpeg_grey.jpg", saved(image=pic.convert("L")), tolerance=2)
    add("jpeg_444.jpg", saved(subsampling=0), tolerance=2)
    for name, args in (("jpeg_arithmetic.jpg", ["-arithmetic"]),
                       ("jpeg_arithmetic_progressive.jpg", ["-arithmetic", "-progressive"]),
                       ("jpeg_restart.jpg", ["-restart", "1"]),
                       ("jpeg_rgb.jpg", ["-rgb"])):
        data = subprocess.run(["cjpeg", "-quality", "92"] + args + [src_ppm], capture_output=True,
                              check=True).stdout
        add(name, data, tolerance=2)
    # CMYK from Pillow and from ImageMagick (both inverted, with Adobe's marker).
    cmyk = pic.convert("CMYK")
    add("jpeg_cmyk_pillow.jpg", saved(image=cmyk), tolerance=2)
    magick_cmyk = os.path.join(TMP, "cmyk.jpg")
    subprocess.run(["convert", src_ppm, "-colorspace", "CMYK", "-quality", "92", magick_cmyk], check=True)
    with open(magick_cmyk, "rb") as f:
        add("jpeg_cmyk_magick.jpg", f.read(), tolerance=2)
    # YCCK through libjpeg itself: inverted CMYK in, YCCK out.
    exe = os.path.join(TMP, "ycck")
    csrc = os.path.join(TMP, "ycck.c")
    with open(csrc, "w") as f:
        f.write(YCCK_WRITER)
    subprocess.run(["cc", "-O1", "-o", exe, csrc, "-ljpeg"], check=True)
    inverted = bytes(255 - v for v in cmyk.tobytes())
    data = subprocess.run([exe], input=b"16 16\n" + inverted, capture_output=True, check=True).stdout
    add("jpeg_ycck.jpg", data, tolerance=2)
    base = saved()
    # Junk bytes before a marker: libjpeg warns and reads on.
    sos = base.index(b"\xff\xda")
    add("jpeg_junk_before_marker.jpg", base[:sos] + b"\x00junk\x01" + base[sos:], tolerance=2, noted=True)
    # Scans whose data stops short of their last blocks: libjpeg warns and
    # leaves the rest of the scan flat, as every reader built on it shows it.
    add("jpeg_scan_cut_short.jpg", base[:-42] + base[-2:], tolerance=2, noted=True)
    progressive = saved(progressive=True)
    add("jpeg_progressive_scan_cut_short.jpg", progressive[:-5] + progressive[-2:], tolerance=2, noted=True)
    # An APP1 "Exif" segment holding no valid TIFF structure.
    app1 = b"Exif\0\0" + b"MM\0\x2a\0\0\0\x08\xff\xff"
    odd = base[:2] + b"\xff\xe1" + struct.pack(">H", len(app1) + 2) + app1 + base[2:]
    add("jpeg_odd_exif.jpg", odd, tolerance=2)
    refuse("jpeg_truncated.jpg", base[:len(base) * 2 // 3], "data ends early")
    refuse("jpeg_lossless.jpg", base[:2] + b"\xff\xc3\x00\x0b\x08\x00\x10\x00\x10\x01\x01\x11\x00" + base[2:],
           "lossless process")


# ---------------------------------------------------------------- PNG

def write_png():
    im = rgba_image()
    for name, conv in (("png_rgba.png", lambda i: i), ("png_rgb.png", lambda i: i.convert("RGB")),
                       ("png_grey.png", lambda i: i.convert("L")), ("png_grey_alpha.png", lambda i: i.convert("LA")),
                       ("png_palette.png", lambda i: i.convert("RGB").quantize(5))):
        buf = io.BytesIO()
        conv(im).save(buf, "PNG")
        add(name, buf.getvalue())
    for name, args in (("png_interlaced16.png", ["-interlace", "PNG", "-depth", "16"]),
                       ("png_palette_trns.png", ["-colors", "7", "PNG8:"])):
        src = os.path.join(TMP, "src.png")
        im.save(src)
        out = os.path.join(TMP, name)
        if args[-1].endswith(":"):
            subprocess.run(["convert", src] + args[:-1] + [args[-1] + out], check=True)
        else:
            subprocess.run(["convert", src] + args + [out], check=True)
        with open(out, "rb") as f:
            add(name, f.read())


def main():
    os.makedirs(OUT, exist_ok=True)
    for f in os.listdir(OUT):
        os.remove(os.path.join(OUT, f))
    write_bmp()
    write_tga()
    write_dds()
    write_jpeg()
    write_png()
    with open(os.path.join(OUT, "cases.txt"), "w") as f:
        f.write("# Written by scripts/make-image-test-data.py: picture, reference (or '-' when the picture is\n"
                "# refused on purpose), tolerance per channel, where the reference came from.\n")
        for name, ref, tol, src in cases:
            f.write("%s %s %d %s\n" % (name, ref or "-", tol, src))
    print("\n".join(report))
    total = sum(os.path.getsize(os.path.join(OUT, f)) for f in os.listdir(OUT))
    print("%d files, %d bytes" % (len(os.listdir(OUT)), total))


if __name__ == "__main__":
    main()
