#pragma once
// The emulator core's debugger console: the text console with two additions.
//
// Hot keys. Function keys become command words handed to the same command
// callback that receives typed lines, so a hot key acts exactly as the typed
// command:
//
//   key          console view            emulation screen (hot keys only)
//   F5           START (Ctrl: GO)        -
//   F7           STEP                    -
//   F8           STEPOVER (Shift: SOO)   -
//   Ctrl+F12     BREAK                   BREAK
//   F11, F12     left to the main window (save and load the state)
//
// Popup. Over the console text, boxes framed with CP437 line characters stack
// down the right-hand edge. A popup hook fills a list of lines before every
// draw: a line starting with '~' starts a new box and is its title ("~~" is
// also accepted as the title's mark); other lines are the box's items. The
// hook may also hand over an image (not owned), drawn at the top-left corner.
//
// Threads: keys and drawing on the user-interface thread with the console's
// locks held by the base; the command callback and the popup hook run there too.
#include <cstdint>

#include "common/CNarrowString.h"
#include "common/CStringList.h"
#include "common/CTextConsole.h"

namespace common {
class CImage;
class CSurface;
} // namespace common

namespace emu {

// Fills the popup's lines (and may set *image, not owned by the console).
typedef void (*DebugPopupHook)(void* context, common::CStringList* lines, common::CImage** image);

class CDebugConsole : public common::CTextConsole {
public:
    // Program key codes of the hot keys.
    static constexpr uint8_t kKeyF5 = 0x74;
    static constexpr uint8_t kKeyF6 = 0x75;
    static constexpr uint8_t kKeyF7 = 0x76;
    static constexpr uint8_t kKeyF8 = 0x77;
    static constexpr uint8_t kKeyF9 = 0x78;
    static constexpr uint8_t kKeyF10 = 0x79;
    static constexpr uint8_t kKeyF11 = 0x7A;
    static constexpr uint8_t kKeyF12 = 0x7B;

    // Every popup cell: light grey on black.
    static constexpr common::ARGB kPopupForeground = 0xFFE1E1E1u;
    static constexpr common::ARGB kPopupBackground = 0xFF000000u;

    // CP437 box-drawing characters.
    static constexpr uint8_t kBoxTopLeft = 0xDA;
    static constexpr uint8_t kBoxTopRight = 0xBF;
    static constexpr uint8_t kBoxBottomLeft = 0xC0;
    static constexpr uint8_t kBoxBottomRight = 0xD9;
    static constexpr uint8_t kBoxHorizontal = 0xC4;
    static constexpr uint8_t kBoxVertical = 0xB3;

    CDebugConsole();
    ~CDebugConsole() override;

    // With hotKeysOnly (the emulation screen is shown): Ctrl+F12 sends BREAK
    // (answering false), plain F11 and F12 are taken (true) so that they never
    // reach the emulated machine; everything else goes to the base. Without it
    // (the console is shown): see the table above; the answer is whether the
    // key was handled, and plain F11 and F12 answer false while a command
    // callback is set, leaving them to the main window.
    bool OnKey(uint8_t keyCode, bool down, bool wasDown, bool hotKeysOnly) override;
    // Refills the popup lines through the hook and draws the boxes, then the
    // hook's image. Nothing at all when the hook gives no line.
    void DrawOverlay(common::CSurface* surface, int32_t rows, int32_t columns, const CColourPair* pairs) override;

    // Draws one box for lines first..last with the title ("~Title", or an empty
    // string for none) flush with the right edge, from row top, at most
    // `available` rows high. Answers the rows it took; 0 when nothing fits
    // (fewer than five columns, fewer than three rows, no content).
    int32_t DrawFramedPopup(common::CStringList& lines, const common::CNarrowString& title, int32_t first, int32_t last,
                            common::CSurface* surface, int32_t top, int32_t available, int32_t columns);

    // The hook is cleared by passing null; the owner clears it before it goes.
    void SetPopupHook(DebugPopupHook hook, void* context);
    // Sets the centred-banner flag (under the console's lock) and marks the
    // console changed; hides the base's plain setter.
    void SetCentred(bool centred);
    bool IsCentred() const { return m_centred; }
    // Marks the console changed: the change callback runs when the console was
    // not marked already.
    void MarkChanged() { SignalChange(); }
    // The lines of the last overlay draw.
    common::CStringList& GetPopupLines() { return m_popupLines; }

private:
    // Hands the word to the command callback; false when none is set.
    bool SendCommand(const char* command);
    bool IsCtrlDown() const;
    bool IsShiftDown() const;
    bool IsAltDown() const;
    // One popup cell, opaque: the console text underneath never shows through.
    void DrawCell(common::CSurface* surface, int32_t column, int32_t row, uint8_t c);

    DebugPopupHook m_popupHook = nullptr;
    void* m_popupContext = nullptr; // the core; not owned
    common::CStringList m_popupLines;
    common::CNarrowString m_defaultTitle;
};

} // namespace emu
