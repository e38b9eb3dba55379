#pragma once
// A top-level frame window, which also runs the periodic timers of the
// user-interface thread.
#include <cstdint>

#include "gui/CWindowInterface.h"

namespace gui {

class CFrameWindowInterface : public virtual CWindowInterface {
public:
    // A frame timer's callback: the frame window, the user value given to AddTimer
    // and the callback itself. Runs on the user-interface thread; answers whether
    // the timer stays (false removes it).
    typedef bool (*TimerCallback)(CWidgetInterface* frame, uintptr_t userValue, void* callback);

    // Adds a timer firing every periodMs milliseconds (1 to 1000). The answer
    // identifies the timer for RemoveTimer; 0 when it could not be added.
    virtual uint64_t AddTimer(int32_t periodMs, TimerCallback callback, uintptr_t userValue) = 0;
    // Removes a timer that AddTimer answered; 0 is ignored.
    virtual void RemoveTimer(uint64_t timer) = 0;
};

} // namespace gui
