#!/usr/bin/env python3
"""Builds common/ConsoleFont.cpp, the console's 8x16 code-page-437 font.

The glyphs come from PC screen fonts (PSF1 or PSF2, optionally gzipped) that
carry a Unicode table. The Debian console fonts are subsets of one face cut to
512 glyphs each, and their tables also list stand-ins (a double-line box corner
drawn with the single-line one, say) after a glyph's own character. So each of
the 256 code-page-437 characters is looked up by its Unicode code point as the
own character of a glyph in the fonts in the order given, then as a stand-in,
then through a few look-alike fallbacks; a character found under none of them
gets a blank glyph. Stand-ins, fallbacks and blanks are listed on stderr and in
the generated file.

Usage:
    make_console_font.py [-o OUTPUT.cpp] FONT.psf[.gz]...

The font used for the checked-in table and its licence are named in README.md
beside this script.
"""

import gzip
import os
import struct
import sys

GLYPH_WIDTH = 8
GLYPH_HEIGHT = 16

# Code page 437 as shown on screen: the control range 0x00-0x1F and 0x7F are
# the graphic symbols of the PC character set, 0x00 and 0xFF are blank.
CP437 = [
    0x0000, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,  # 00
    0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,  # 08
    0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,  # 10
    0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC,  # 18
] + list(range(0x20, 0x7F)) + [
    0x2302,                                                          # 7F
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,  # 80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,  # 88
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,  # 90
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,  # 98
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,  # A0
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  # A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  # B0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  # B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  # C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  # C8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  # D0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  # D8
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,  # E0
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,  # E8
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,  # F0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,  # F8
]
assert len(CP437) == 256

# Look-alikes tried, in order, when the font lacks a character itself.
FALLBACKS = {
    0x00DF: [0x03B2],          # sharp s -> Greek beta
    0x00B5: [0x03BC],          # micro sign -> Greek mu
    0x03BC: [0x00B5],
    0x03C6: [0x03D5, 0x0278],  # phi
    0x03B5: [0x2208],          # epsilon -> element of
    0x2219: [0x00B7, 0x2022],  # bullet operator
    0x00B7: [0x2219],
    0x2022: [0x2219, 0x00B7],
    0x25AC: [0x2586, 0x2583],  # black rectangle -> lower block
    0x25A0: [0x25AA, 0x2588],  # black square
    0x25BA: [0x25B6],          # black right-pointing pointer -> triangle
    0x25C4: [0x25C0],
    0x2302: [0x2206, 0x0394],  # house -> increment / Delta
    0x221F: [0x2514],          # right angle -> box corner
    0x2310: [0x00AC],          # reversed not sign -> not sign
    0x00A0: [0x0020],          # no-break space is blank anyway
}

# Characters that are blank by definition (no lookup needed).
BLANK = {0x0000, 0x0020, 0x00A0}


class Font:
    """One PSF font: its glyphs and, per code point, (glyph index, own character?)."""

    def __init__(self, path):
        self.name = os.path.basename(path)
        opener = gzip.open if path.endswith(".gz") else open
        with opener(path, "rb") as f:
            data = f.read()
        self.table = {}
        if data[:2] == b"\x36\x04":
            self._read_psf1(data)
        elif data[:4] == b"\x72\xb5\x4a\x86":
            self._read_psf2(data)
        else:
            sys.exit("%s: not a PSF font" % path)
        if self.width != GLYPH_WIDTH or self.height != GLYPH_HEIGHT:
            sys.exit("%s: font is %dx%d, need %dx%d" % (path, self.width, self.height, GLYPH_WIDTH, GLYPH_HEIGHT))

    def _add_entry(self, index, codes):
        # The first code of an entry is the glyph's own character, the rest are stand-ins.
        for position, code in enumerate(codes):
            known = self.table.get(code)
            if known is None or (position == 0 and not known[1]):
                self.table[code] = (index, position == 0)

    def _read_psf1(self, data):
        mode, self.height = data[2], data[3]
        self.width = GLYPH_WIDTH
        count = 512 if mode & 0x01 else 256
        if not mode & 0x02:
            sys.exit("%s: PSF1 font without a Unicode table" % self.name)
        self.glyphs = [data[4 + i * self.height:4 + (i + 1) * self.height] for i in range(count)]
        pos = 4 + count * self.height
        for index in range(count):
            codes = []
            in_sequence = False
            while True:
                (value,) = struct.unpack_from("<H", data, pos)
                pos += 2
                if value == 0xFFFF:
                    break
                if value == 0xFFFE:
                    in_sequence = True  # combining sequences are not single characters
                elif not in_sequence:
                    codes.append(value)
            self._add_entry(index, codes)

    def _read_psf2(self, data):
        (_, _, header_size, flags, count, charsize, self.height, self.width) = struct.unpack_from("<8I", data, 0)
        if not flags & 0x01:
            sys.exit("%s: PSF2 font without a Unicode table" % self.name)
        if charsize != self.height:
            sys.exit("%s: glyphs of %d bytes, need one byte per row" % (self.name, charsize))
        self.glyphs = [data[header_size + i * charsize:header_size + (i + 1) * charsize] for i in range(count)]
        pos = header_size + count * charsize
        for index in range(count):
            end = data.index(b"\xff", pos)
            singles = data[pos:end].split(b"\xfe")[0]  # what follows 0xFE are combining sequences
            pos = end + 1
            self._add_entry(index, [ord(c) for c in singles.decode("utf-8")])

    def find(self, code, own_only):
        entry = self.table.get(code)
        if entry is None or (own_only and not entry[1]):
            return None
        return self.glyphs[entry[0]]


def find_glyph(fonts, code):
    """Returns (glyph, note); note is None for the character's own glyph."""
    for own_only in (True, False):
        for font in fonts:
            glyph = font.find(code, own_only)
            if glyph is not None:
                return glyph, None if own_only else "stand-in from %s" % font.name
    for candidate in FALLBACKS.get(code, []):
        for own_only in (True, False):
            for font in fonts:
                glyph = font.find(candidate, own_only)
                if glyph is not None:
                    return glyph, "drawn as U+%04X" % candidate
    return bytes(GLYPH_HEIGHT), "not in the fonts, blank"


def build_table(fonts):
    rows = []
    notes = []
    for byte, code in enumerate(CP437):
        if code in BLANK:
            rows.append(bytes(GLYPH_HEIGHT))
            continue
        glyph, note = find_glyph(fonts, code)
        rows.append(glyph)
        if note:
            notes.append("0x%02X U+%04X: %s" % (byte, code, note))
    return rows, notes


def write_source(path, fonts, rows, notes):
    lines = [
        "// Generated by tools/fonts/make_console_font.py; do not edit.",
        "// From the PSF fonts %s." % ", ".join(f.name for f in fonts),
        "// Glyphs of the Terminus Font, (c) 2010 Dimitar Toshkov Zhekov, under the SIL Open",
        "// Font License 1.1 (tools/fonts/OFL.txt); this table is a modified version of it.",
        "// One glyph per code-page-437 character, 16 rows of 8 pixels, bit 7 leftmost.",
    ]
    lines += ["// " + note for note in notes]
    lines += [
        '#include "common/ConsoleFont.h"',
        "",
        "namespace common {",
        "",
        "const uint8_t kConsoleFont[kConsoleFontGlyphs * kConsoleFontHeight] = {",
    ]
    for byte, glyph in enumerate(rows):
        lines.append("    %s, // 0x%02X" % (", ".join("0x%02X" % b for b in glyph), byte))
    lines += ["};", "", "} // namespace common", ""]
    with open(path, "w", newline="\n") as f:
        f.write("\n".join(lines))


def main():
    args = sys.argv[1:]
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    out_path = os.path.join(root, "common", "ConsoleFont.cpp")
    if len(args) >= 2 and args[0] == "-o":
        out_path = args[1]
        args = args[2:]
    if not args or any(a.startswith("-") for a in args):
        sys.exit(__doc__)
    fonts = [Font(path) for path in args]
    rows, notes = build_table(fonts)
    for note in notes:
        print(note, file=sys.stderr)
    write_source(out_path, fonts, rows, notes)


if __name__ == "__main__":
    main()
