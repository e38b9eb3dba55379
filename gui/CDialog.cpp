#include "gui/CDialog.h"

namespace gui {

CDialog::~CDialog() = default;

bool CDialog::EndModal(int32_t result) {
    m_result = result;
    return true;
}

bool CDialog::RunModal(CWidgetInterface*) {
    return false;
}

} // namespace gui
