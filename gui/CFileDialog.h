#pragma once
// The portable file dialog: mode, filter entries, path, and the filter text
// that the system's file dialog is given. It cannot show itself.
//
// The filter text is a list of lines (caption, pattern, caption, pattern ...),
// each ended by a line feed. Consecutive entries with the same description form
// one group "Description (*.a,*.b)" with the pattern "*.a;*.b". An open dialog
// lists first the combined entry of every extension; a save dialog only the
// groups; with no extension but "*" the one line is the every-file entry.
#include <cstdint>

#include "common/CPath.h"
#include "common/CStringList.h"
#include "gui/CDialog.h"
#include "gui/CFileDialogInterface.h"

namespace gui {

class CFileDialog : public virtual CDialog, public virtual CFileDialogInterface {
public:
    // UI text ids of the every-file caption and of the combined entry's caption.
    static constexpr int32_t kTextAllFiles = 10000;
    static constexpr int32_t kTextAllSupported = 10001;

    explicit CFileDialog(int32_t mode = kModeOpen) : m_mode(mode) {}
    ~CFileDialog() override;

    bool ShowThen(CWidgetInterface* parent, RunThenCallback callback, const common::CPath& path) override;
    void AddFilter(const common::CWideString& extension, const common::CWideString& description) override;
    const common::CPath& GetFileName() const override { return m_path; }
    void SetFileName(const common::CPath& path) override { m_path = path; }
    bool Show(CWidgetInterface* parent, const common::CPath& path) override;
    // False: the portable dialog cannot show itself.
    bool Run(CWidgetInterface* parent) override;
    bool RunModal(CWidgetInterface* parent) override { return Run(parent); }
    bool RunModalThen(CWidgetInterface* parent, RunThenCallback callback, bool modal) override {
        return RunThen(parent, callback, modal);
    }

    int32_t GetMode() const { return m_mode; }
    int32_t GetFilterCount() const { return m_extensions.GetCount(); }
    // The filter text of the current entries, the captions taken from the locale.
    common::CWideString BuildFilterText() const;
    // The same from given captions.
    common::CWideString BuildFilterText(const common::CWideString& allFiles,
                                        const common::CWideString& allSupported) const;

protected:
    int32_t m_mode;
    common::CStringList m_extensions;   // owned strings
    common::CStringList m_descriptions; // one per extension
    common::CPath m_path;
};

} // namespace gui
