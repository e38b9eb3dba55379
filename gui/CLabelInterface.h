#pragma once
// A control that draws one line of text, placed by a text alignment code (the
// side code of CPainter::DrawTextFlags: 1 left, 2 top, 4 right, 8 bottom, 0
// centred). The text alignment is separate from the control's dock alignment.
#include <cstdint>

#include "common/CWideString.h"
#include "gui/CControlInterface.h"

namespace gui {

class CLabelInterface : public virtual CControlInterface {
public:
    virtual const common::CWideString& GetText() const = 0;
    virtual void SetText(const common::CWideString& text) = 0;
    virtual int32_t GetTextAlignment() const = 0;
    virtual void SetTextAlignment(int32_t alignment) = 0;
};

} // namespace gui
