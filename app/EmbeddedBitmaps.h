#pragma once
// The program's own small pictures, carried inside it as complete BMP files
// (4 bits per pixel, 16-entry palette): the toolbar's Start, Pause and Stop
// icons and three strips of twelve drive pictures for the drive row. Each
// loader decodes the stored file afresh into a new image owned by the caller.
//
// A strip's pictures follow one scheme, chosen by the drive's state:
//   0 green lamp, lever closed, medium in    4..7  as 0..3 with the drive's
//   1 red lamp, lever open, medium in              face filled in the lamp's
//   2 unlit (white) lamp, closed, no medium        colour (white for 6 and 7)
//   3 unlit (white) lamp, open, no medium    8, 9  red, yellow lamp, as 0
//                                            10, 11 as 8, 9, face filled
// Around the drive (and on its face in 0..3, 8, 9) lies the strips' colour key,
// which is not drawn.
#include <cstdint>

#include "common/CImage.h"

namespace emu {

constexpr common::ARGB kDriveIconColourKey = 0xFFC4C6C4u; // grey 196, 198, 196
constexpr int kDrivePictureCount = 12;
constexpr int32_t kDrivePictureWidth = 47;
constexpr int32_t kDrivePictureHeight = 16;

// Null when the stored bytes do not decode.
common::CImage* LoadStartIcon();
common::CImage* LoadPauseIcon();
common::CImage* LoadStopIcon();

// Picture index 0..11 of a strip, with the strip's colour key set; null for
// any other index or when decoding fails. Floppy drives (A), hard disks and
// CD/DVD drives (B), cartridges (C).
common::CImage* LoadDriveIconA(int index);
common::CImage* LoadDriveIconB(int index);
common::CImage* LoadDriveIconC(int index);

// The stored files themselves.
enum class EmbeddedPicture { kStartIcon, kPauseIcon, kStopIcon, kDriveA, kDriveB, kDriveC };
// The BMP file of a picture (index counts for the strips only) and its byte
// count; null, size 0, for an index outside a strip.
const uint8_t* GetEmbeddedBitmapFile(EmbeddedPicture which, int index, int32_t& size);

} // namespace emu
