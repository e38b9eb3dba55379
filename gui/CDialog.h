#pragma once
// The portable dialog: its placement mode and result. It cannot run by itself;
// gui::Windows::CDialog runs it.
#include <cstdint>

#include "gui/CDialogInterface.h"

namespace gui {

class CDialog : public virtual CDialogInterface {
public:
    explicit CDialog(int32_t placement = kPlacementCentred) : m_placement(placement) {}
    ~CDialog() override;

    bool EndModal(int32_t result) override;
    int32_t GetResult() const override { return m_result; }
    int32_t GetPlacement() const override { return m_placement; }
    // False: the portable dialog cannot run.
    bool RunModal(CWidgetInterface* parent) override;
    bool IsDialog() const override { return true; }

protected:
    int32_t m_placement;
    int32_t m_result = kResultNone;
};

} // namespace gui
