#pragma once
// The file dialog that program code constructs: open mode, no entries, empty path.
#include "gui/windows/CFileDialog.h"

namespace gui {
namespace Windows {

class COpenFileDialog : public CFileDialog {
public:
    COpenFileDialog();
    ~COpenFileDialog() override;
};

} // namespace Windows
} // namespace gui
