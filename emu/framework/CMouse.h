#pragma once
// The machine's mouse service "_MOUSE": hands every mouse event record to the
// devices that listen, in the order they registered. It keeps no mouse state;
// events arrive on the emulation thread and no lock is taken.
//
// State data (record format of CStreamHolder.h), inside the object's chunk:
//   F0 "_MOUS", "VER" u8 0, FF "_MOUS".
#include <cstdint>
#include <vector>

#include "emu/framework/CMouseInterface.h"
#include "emu/framework/CObject.h"

namespace emu {

class CMouse : public CMouseInterface, public CObject {
public:
    // Told (context, record) for each event; the result is unused. A listener
    // must not add or remove listeners while it is called.
    typedef void (*MouseListener)(void* context, CMouseEvent* event);

    CMouse();
    ~CMouse() override;

    void DeliverMouseEvent(CMouseEvent* event) override;

    // Start and Stop drop the listeners (devices register in their own starts).
    bool Start(int32_t* value) override;
    void Stop() override;
    bool SaveData(common::CStreamHolder& holder) override;
    bool LoadData(common::CStreamHolder& holder, common::CNarrowString* errorText) override;

    // Appends the pair unless the same pair is listed; always true.
    bool AddListener(void* context, MouseListener listener);
    // Removes the pair when it is listed.
    void RemoveListener(void* context, MouseListener listener);

    int GetListenerCount() const { return static_cast<int>(m_listeners.size()); }

private:
    struct CListener {
        void* context;
        MouseListener callback;
    };

    std::vector<CListener> m_listeners;
};

} // namespace emu
