#pragma once
// A dialog in which the user picks a file to open or to save. The program
// describes the files it wants as (extension, description) entries; after a
// confirmed run (result 1) the path holds the chosen file; a cancelled run
// gives result 2 and leaves the path as it was.
#include "common/CPath.h"
#include "gui/CDialogInterface.h"

namespace gui {

class CFileDialogInterface : public virtual CDialogInterface {
public:
    enum : int32_t { kModeOpen = 0, kModeSave = 1 };

    // SetFileName, then RunThen.
    virtual bool ShowThen(CWidgetInterface* parent, RunThenCallback callback, const common::CPath& path) = 0;
    // Extension without dot or star ("*" for every file); an empty one is ignored,
    // an empty description takes the extension.
    virtual void AddFilter(const common::CWideString& extension, const common::CWideString& description) = 0;
    virtual const common::CPath& GetFileName() const = 0;
    // Before a run: the initial folder.
    virtual void SetFileName(const common::CPath& path) = 0;
    // SetFileName, then Run.
    virtual bool Show(CWidgetInterface* parent, const common::CPath& path) = 0;
    virtual bool RunThen(CWidgetInterface* parent, RunThenCallback callback, bool modal) = 0;
    virtual bool Run(CWidgetInterface* parent) = 0;
};

} // namespace gui
