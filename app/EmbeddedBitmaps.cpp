#include "app/EmbeddedBitmaps.h"

#include <cstring>
#include <initializer_list>

#include "common/CMemoryStream.h"

namespace emu {

namespace {

constexpr int kPaletteEntries = 16;
constexpr int32_t kFileHeaderBytes = 14;
constexpr int32_t kInfoHeaderBytes = 40;
constexpr int32_t kPixelOffset = kFileHeaderBytes + kInfoHeaderBytes + 4 * kPaletteEntries;
constexpr int32_t kStripStride = 512; // a strip's files lie this far apart

constexpr int32_t RowBytes(int32_t width) {
    return (width * 4 + 31) / 32 * 4;
}
constexpr int32_t FileBytes(int32_t width, int32_t height) {
    return kPixelOffset + RowBytes(width) * height;
}

constexpr int32_t kStartWidth = 15, kStartHeight = 14;
constexpr int32_t kPauseWidth = 13, kPauseHeight = 15;
constexpr int32_t kStopWidth = 14, kStopHeight = 13;
constexpr int32_t kDriveBytes = FileBytes(kDrivePictureWidth, kDrivePictureHeight);
static_assert(FileBytes(kStartWidth, kStartHeight) == 230, "Start icon file size");
static_assert(FileBytes(kPauseWidth, kPauseHeight) == 238, "Pause icon file size");
static_assert(FileBytes(kStopWidth, kStopHeight) == 222, "Stop icon file size");
static_assert(kDriveBytes == 502 && kDriveBytes <= kStripStride, "drive picture file size");

// Palette of the toolbar icons, as 0x00RRGGBB.
enum IconColour : uint8_t { kMagenta, kNearBlack, kDarkGreen, kGreen, kDarkBlue, kBrightBlue, kGrey, kDarkRed };
constexpr uint32_t kIconPalette[kPaletteEntries] = {
    0xFC02FC, 0x181818, 0x008800, 0x30D030, 0x000090, 0x3C8CFF, 0x808080, 0x900000,
};

// Palette of the drive strips.
enum DriveColour : uint8_t {
    kKey,
    kBlack,
    kDarkGrey,
    kWhite,
    kFloppyBody,
    kLampGreen,
    kLampRed,
    kLampYellow,
    kMidGrey,
    kLever,
    kLabel,
    kContact,
    kCartridge,
    kDriveBody,
    kGrille,
};
constexpr uint32_t kDrivePalette[kPaletteEntries] = {
    0xC4C6C4, 0x000000, 0x606060, 0xFFFFFF, 0xC4C2C4, 0x00D000, 0xE80000, 0xFFE000,
    0x909090, 0xB0B0C0, 0xF8F8D8, 0xD0A838, 0x385888, 0xA8ACB4, 0x585C64, 0x000000,
};

// A picture being drawn: one palette index per pixel, row 0 at the top.
class Canvas {
public:
    Canvas(int32_t width, int32_t height, uint8_t background) : m_width(width), m_height(height) {
        std::memset(m_pixels, background, sizeof m_pixels);
    }
    void Set(int32_t x, int32_t y, uint8_t colour) {
        if (x >= 0 && y >= 0 && x < m_width && y < m_height)
            m_pixels[y][x] = colour;
    }
    uint8_t Get(int32_t x, int32_t y) const { return m_pixels[y][x]; }
    // Inclusive corners.
    void Fill(int32_t left, int32_t top, int32_t right, int32_t bottom, uint8_t colour) {
        for (int32_t y = top; y <= bottom; ++y)
            for (int32_t x = left; x <= right; ++x)
                Set(x, y, colour);
    }
    void Frame(int32_t left, int32_t top, int32_t right, int32_t bottom, uint8_t colour) {
        Fill(left, top, right, top, colour);
        Fill(left, bottom, right, bottom, colour);
        Fill(left, top, left, bottom, colour);
        Fill(right, top, right, bottom, colour);
    }
    // Writes the canvas as a BMP file of FileBytes(width, height) bytes.
    void WriteBmp(uint8_t* file, const uint32_t* palette) const;

private:
    static constexpr int32_t kMaxSide = 48;
    int32_t m_width;
    int32_t m_height;
    uint8_t m_pixels[kMaxSide][kMaxSide];
};

void Put16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}
void Put32(uint8_t* at, uint32_t value) {
    Put16(at, value);
    Put16(at + 2, value >> 16);
}

void Canvas::WriteBmp(uint8_t* file, const uint32_t* palette) const {
    const int32_t rowBytes = RowBytes(m_width);
    const int32_t size = FileBytes(m_width, m_height);
    std::memset(file, 0, size);
    file[0] = 'B';
    file[1] = 'M';
    Put32(file + 2, static_cast<uint32_t>(size));
    Put32(file + 10, kPixelOffset);
    uint8_t* info = file + kFileHeaderBytes;
    Put32(info, kInfoHeaderBytes);
    Put32(info + 4, static_cast<uint32_t>(m_width));
    Put32(info + 8, static_cast<uint32_t>(m_height)); // positive: rows bottom-up
    Put16(info + 12, 1);                              // planes
    Put16(info + 14, 4);                              // bits per pixel
    Put32(info + 16, 0);                              // BI_RGB
    Put32(info + 20, static_cast<uint32_t>(rowBytes * m_height));
    Put32(info + 32, kPaletteEntries);
    uint8_t* table = info + kInfoHeaderBytes;
    for (int i = 0; i < kPaletteEntries; ++i) {
        table[4 * i] = static_cast<uint8_t>(palette[i]);           // blue
        table[4 * i + 1] = static_cast<uint8_t>(palette[i] >> 8);  // green
        table[4 * i + 2] = static_cast<uint8_t>(palette[i] >> 16); // red
    }
    for (int32_t y = 0; y < m_height; ++y) {
        uint8_t* row = file + kPixelOffset + (m_height - 1 - y) * rowBytes;
        for (int32_t x = 0; x < m_width; ++x)
            row[x / 2] |= static_cast<uint8_t>((x & 1) ? m_pixels[y][x] : m_pixels[y][x] << 4);
    }
}

// Draws the shadow of every non-background pixel one step right and down,
// where the background still shows.
void AddShadow(Canvas& canvas, int32_t width, int32_t height, uint8_t background, uint8_t shadow) {
    for (int32_t y = height - 2; y >= 0; --y)
        for (int32_t x = width - 2; x >= 0; --x)
            if (canvas.Get(x, y) != background && canvas.Get(x, y) != shadow && canvas.Get(x + 1, y + 1) == background)
                canvas.Set(x + 1, y + 1, shadow);
}

// A right-pointing arrow: a shaft and a head whose tip is at column 13.
Canvas DrawStart() {
    Canvas c(kStartWidth, kStartHeight, kMagenta);
    constexpr int32_t kMid = 6, kTip = 13, kHeadBase = 7;
    c.Fill(0, kMid - 2, kHeadBase - 1, kMid + 2, kGreen);
    for (int32_t x = kHeadBase; x <= kTip; ++x)
        c.Fill(x, kMid - (kTip - x), x, kMid + (kTip - x), kGreen);
    // A darker rim on the lower edges gives the arrow some depth.
    for (int32_t y = 0; y < kStartHeight - 1; ++y)
        for (int32_t x = 0; x < kStartWidth - 1; ++x)
            if (c.Get(x, y) == kGreen && (c.Get(x, y + 1) != kGreen && c.Get(x, y + 1) != kDarkGreen))
                c.Set(x, y, kDarkGreen);
    AddShadow(c, kStartWidth, kStartHeight, kMagenta, kNearBlack);
    return c;
}

// Two vertical bars striped column by column in dark and bright blue.
Canvas DrawPause() {
    Canvas c(kPauseWidth, kPauseHeight, kMagenta);
    for (int32_t left : {1, 7})
        for (int32_t x = left; x < left + 4; ++x)
            c.Fill(x, 1, x, 12, (x - left) % 2 ? kBrightBlue : kDarkBlue);
    AddShadow(c, kPauseWidth, kPauseHeight, kMagenta, kGrey);
    return c;
}

// A dark-red square with a black shadow right and below.
Canvas DrawStop() {
    Canvas c(kStopWidth, kStopHeight, kMagenta);
    c.Fill(1, 1, 12, 11, kDarkRed);
    c.Fill(13, 2, 13, 12, kNearBlack);
    c.Fill(2, 12, 13, 12, kNearBlack);
    return c;
}

struct DriveState {
    uint8_t lamp;
    bool leverOpen;
    bool medium;
    bool faceFilled;
};

DriveState StateOf(int picture) {
    static const DriveState kStates[kDrivePictureCount] = {
        {kLampGreen, false, true, false},  {kLampRed, true, true, false},   {kWhite, false, false, false},
        {kWhite, true, false, false},      {kLampGreen, false, true, true}, {kLampRed, true, true, true},
        {kWhite, false, false, true},      {kWhite, true, false, true},     {kLampRed, false, true, false},
        {kLampYellow, false, true, false}, {kLampRed, false, true, true},   {kLampYellow, false, true, true},
    };
    return kStates[picture];
}

// The bezel around the face, the face itself and the lamp at the left; the
// picture's outermost ring stays the key colour.
void DrawBezel(Canvas& c, uint8_t body, const DriveState& state) {
    c.Fill(1, 1, 45, 14, body);
    c.Fill(1, 1, 45, 1, kWhite);
    c.Fill(1, 1, 1, 14, kWhite);
    c.Fill(1, 14, 45, 14, kDarkGrey);
    c.Fill(45, 1, 45, 14, kDarkGrey);
    c.Frame(2, 2, 44, 13, kMidGrey);
    c.Fill(3, 3, 43, 12, state.faceFilled ? state.lamp : static_cast<uint8_t>(kKey));
    c.Frame(4, 5, 8, 9, kBlack);
    c.Fill(5, 6, 7, 8, state.lamp);
}

// A floppy drive: a horizontal slot with a lever that stands across it when closed.
void DrawFloppy(Canvas& c, const DriveState& state) {
    DrawBezel(c, kFloppyBody, state);
    c.Fill(12, 7, 41, 8, state.medium ? kBlack : kDarkGrey);
    if (state.medium)
        c.Fill(31, 7, 36, 7, kLabel); // the diskette's label shows in the slot
    if (state.leverOpen) {
        c.Frame(20, 9, 33, 12, kBlack);
        c.Fill(21, 10, 32, 11, kLever);
    } else {
        c.Frame(24, 3, 29, 12, kBlack);
        c.Fill(25, 4, 28, 11, kLever);
    }
}

// A hard disk or CD/DVD drive: a grille across the face and a lever at the right.
void DrawGrilleDrive(Canvas& c, const DriveState& state) {
    DrawBezel(c, kDriveBody, state);
    for (int32_t x = 12; x <= 36; x += 2)
        c.Fill(x, 4, x, 10, kGrille);
    if (state.medium)
        c.Fill(11, 12, 37, 12, kBlack); // the loaded tray's edge
    if (state.leverOpen) {
        c.Frame(37, 9, 43, 12, kBlack);
        c.Fill(38, 10, 42, 11, kLever);
    } else {
        c.Frame(39, 3, 42, 12, kBlack);
        c.Fill(40, 4, 41, 11, kLever);
    }
}

// A cartridge socket: the cartridge with contact rows along its top and bottom
// edges and a label; a latch at its left.
void DrawCartridge(Canvas& c, const DriveState& state) {
    DrawBezel(c, kMidGrey, state);
    if (state.medium) {
        c.Frame(13, 3, 43, 12, kBlack);
        c.Fill(14, 4, 42, 11, kCartridge);
        for (int32_t x = 15; x <= 41; x += 2) {
            c.Set(x, 3, kContact);
            c.Set(x, 12, kContact);
        }
        c.Fill(18, 5, 38, 10, kLabel);
        c.Fill(20, 7, 36, 7, kDarkGrey);
        c.Fill(20, 9, 30, 9, kDarkGrey);
    } else {
        c.Frame(13, 3, 43, 12, kDarkGrey);
    }
    if (state.leverOpen)
        c.Fill(10, 3, 11, 5, kLever);
    else
        c.Fill(10, 4, 11, 11, kLever);
}

// The stored files, made once on first use.
struct Store {
    uint8_t start[FileBytes(kStartWidth, kStartHeight)];
    uint8_t pause[FileBytes(kPauseWidth, kPauseHeight)];
    uint8_t stop[FileBytes(kStopWidth, kStopHeight)];
    uint8_t strips[3][kDrivePictureCount * kStripStride];
};

const Store& GetStore() {
    static const Store* const s_store = [] {
        static Store store;
        std::memset(&store, 0, sizeof store);
        DrawStart().WriteBmp(store.start, kIconPalette);
        DrawPause().WriteBmp(store.pause, kIconPalette);
        DrawStop().WriteBmp(store.stop, kIconPalette);
        void (*const drawers[3])(Canvas&, const DriveState&) = {DrawFloppy, DrawGrilleDrive, DrawCartridge};
        for (int strip = 0; strip < 3; ++strip) {
            for (int i = 0; i < kDrivePictureCount; ++i) {
                Canvas canvas(kDrivePictureWidth, kDrivePictureHeight, kKey);
                drawers[strip](canvas, StateOf(i));
                canvas.WriteBmp(store.strips[strip] + i * kStripStride, kDrivePalette);
            }
        }
        return &store;
    }();
    return *s_store;
}

// Decodes a stored file in place; the stream neither copies nor owns the bytes.
common::CImage* Decode(const uint8_t* file, int32_t size) {
    if (!file)
        return nullptr;
    common::CMemoryStream stream;
    if (!stream.Attach(const_cast<uint8_t*>(file), size))
        return nullptr;
    common::CImage* image = common::CImage::CreateFromBitmapInfo(stream, common::CImage::kModelNone);
    stream.Release();
    return image;
}

common::CImage* LoadStripPicture(EmbeddedPicture strip, int index) {
    int32_t size = 0;
    const uint8_t* file = GetEmbeddedBitmapFile(strip, index, size);
    common::CImage* image = Decode(file, size);
    if (image)
        image->SetColourKey(kDriveIconColourKey);
    return image;
}

} // namespace

const uint8_t* GetEmbeddedBitmapFile(EmbeddedPicture which, int index, int32_t& size) {
    const Store& store = GetStore();
    size = 0;
    switch (which) {
    case EmbeddedPicture::kStartIcon:
        size = sizeof store.start;
        return store.start;
    case EmbeddedPicture::kPauseIcon:
        size = sizeof store.pause;
        return store.pause;
    case EmbeddedPicture::kStopIcon:
        size = sizeof store.stop;
        return store.stop;
    case EmbeddedPicture::kDriveA:
    case EmbeddedPicture::kDriveB:
    case EmbeddedPicture::kDriveC: {
        // Compared without sign, so a negative index is out of range too.
        if (static_cast<unsigned>(index) >= static_cast<unsigned>(kDrivePictureCount))
            return nullptr;
        const int strip = static_cast<int>(which) - static_cast<int>(EmbeddedPicture::kDriveA);
        size = kDriveBytes;
        return store.strips[strip] + index * kStripStride;
    }
    }
    return nullptr;
}

common::CImage* LoadStartIcon() {
    int32_t size = 0;
    const uint8_t* file = GetEmbeddedBitmapFile(EmbeddedPicture::kStartIcon, 0, size);
    return Decode(file, size);
}

common::CImage* LoadPauseIcon() {
    int32_t size = 0;
    const uint8_t* file = GetEmbeddedBitmapFile(EmbeddedPicture::kPauseIcon, 0, size);
    return Decode(file, size);
}

common::CImage* LoadStopIcon() {
    int32_t size = 0;
    const uint8_t* file = GetEmbeddedBitmapFile(EmbeddedPicture::kStopIcon, 0, size);
    return Decode(file, size);
}

common::CImage* LoadDriveIconA(int index) {
    return LoadStripPicture(EmbeddedPicture::kDriveA, index);
}

common::CImage* LoadDriveIconB(int index) {
    return LoadStripPicture(EmbeddedPicture::kDriveB, index);
}

common::CImage* LoadDriveIconC(int index) {
    return LoadStripPicture(EmbeddedPicture::kDriveC, index);
}

} // namespace emu
