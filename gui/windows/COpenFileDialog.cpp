#include "gui/windows/COpenFileDialog.h"

namespace gui {
namespace Windows {

COpenFileDialog::COpenFileDialog() : CFileDialog(kModeOpen) {}

COpenFileDialog::~COpenFileDialog() = default;

} // namespace Windows
} // namespace gui
