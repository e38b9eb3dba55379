#pragma once
// The About box: a small modal dialog with the main window's title, the author,
// the version with the build description, and the author's country with the
// years. It is built afresh each time it is shown and destroyed when it closes;
// a running emulation is held while it is open.
#include <cstdint>

#include "common/CNarrowString.h"

namespace gui {
class CWidgetInterface;
namespace Windows {
class CDialog;
} // namespace Windows
} // namespace gui

namespace emu {

class CEmulator;

class CAboutBox {
public:
    static constexpr int32_t kWidth = 392;
    static constexpr int32_t kHeight = 236;

    // The dialog with its panels, labels and OK button; owned by the caller.
    static gui::Windows::CDialog* Build(const common::CNarrowString& title);

    // Shows the box modally over owner. A running emulation (emulator may be
    // null) is broken first and resumed afterwards when this call broke it; a
    // stopped one with a live thread has its window content presented once, so
    // the area the box covered is drawn again. Answers true.
    static bool Run(gui::CWidgetInterface* owner, const common::CNarrowString& title, CEmulator* emulator);
};

} // namespace emu
