#pragma once
// A blank control whose content its owner draws in a paint callback through
// the control's own painter, optionally into an off-screen bitmap first.
#include "gui/CControlInterface.h"

namespace gui {

class CPainter;

class CBitmapViewInterface : public virtual CControlInterface {
public:
    typedef void (*PaintCallback)(CWidgetInterface* view, CPainter* painter);

    // The buffered flag, which the owner sets: true paints through an off-screen bitmap.
    virtual bool& GetBufferedFlag() = 0;
    // Runs the paint callback (not re-entered, never while being destroyed).
    virtual void OnPaint(CPainter* painter) = 0;
};

} // namespace gui
