#pragma once
// A modal dialog: a top-level window that runs over a parent window until the
// user (or a control's handler through EndModal) closes it; its result says how.
// Results: 0 nothing ended it, 1 OK (or Yes), 2 Cancel; message boxes answer 3
// for No, and any other value is a control's own.
#include <cstdint>

#include "gui/CWindowInterface.h"

namespace gui {

class CDialogInterface : public virtual CWindowInterface {
public:
    // Called with the dialog after it has closed.
    typedef void (*RunThenCallback)(CWidgetInterface* dialog);

    enum : int32_t { kResultNone = 0, kResultOk = 1, kResultCancel = 2, kResultNo = 3 };
    // Placement mode 1: centred over the parent when the contents are made.
    enum : int32_t { kPlacementCentred = 1 };

    // False, without running, when parent or callback is null or modal is false;
    // else RunModal and, when it ran, the callback.
    virtual bool RunModalThen(CWidgetInterface* parent, RunThenCallback callback, bool modal) = 0;
    // Stores the result (and ends a running dialog); true.
    virtual bool EndModal(int32_t result) = 0;
    virtual int32_t GetResult() const = 0;
    virtual int32_t GetPlacement() const = 0;
    // True when the dialog was shown and has closed; false when it could not run.
    virtual bool RunModal(CWidgetInterface* parent) = 0;
};

} // namespace gui
