#pragma once
// A push button showing an image, a text or both, centred. It can be flat (no
// frame until the mouse is over it or it is pressed) and can stay pushed (a
// latched state set by its owner). A click calls the click callback, or inside
// a modal dialog ends the dialog by the button's dialog result code.
#include <cstdint>

#include "common/CWideString.h"
#include "gui/CControlInterface.h"

namespace common {
class CImage;
}

namespace gui {

class CButtonInterface : public virtual CControlInterface {
public:
    typedef void (*ClickCallback)(CWidgetInterface* button);

    // Dialog result codes: none, end with 1, end with 2, end with the click action's end code.
    enum : int32_t { kDialogNone = 0, kDialogOk = 1, kDialogCancel = 2, kDialogEndCode = 3 };

    struct ClickAction {
        int32_t m_endCode = 0;
        ClickCallback m_callback = nullptr;
    };

    virtual const common::CWideString& GetText() const = 0;
    virtual void SetText(const common::CWideString& text) = 0;
    // Takes the image (the button owns it; null for none).
    virtual void SetImage(common::CImage* image) = 0;
    virtual void SetFocusable(bool focusable) = 0;
    virtual void SetFlat(bool flat) = 0;
    virtual void SetPushed(bool pushed) = 0;
    virtual int32_t GetDialogResult() const = 0;
    virtual void SetDialogResult(int32_t code) = 0;
    virtual ClickAction& GetClickAction() = 0;
};

} // namespace gui
