#include "gui/CFileDialog.h"

#include <string>

#include "common/CLocale.h"

namespace gui {

namespace {

std::u16string TextOf(common::CString* string) {
    if (string == nullptr || string->GetWide() == nullptr)
        return std::u16string();
    return std::u16string(string->GetWide());
}

} // namespace

CFileDialog::~CFileDialog() {
    m_extensions.DeleteAll();
    m_descriptions.DeleteAll();
}

bool CFileDialog::ShowThen(CWidgetInterface* parent, RunThenCallback callback, const common::CPath& path) {
    SetFileName(path);
    return RunThen(parent, callback, true);
}

bool CFileDialog::Show(CWidgetInterface* parent, const common::CPath& path) {
    SetFileName(path);
    return Run(parent);
}

bool CFileDialog::Run(CWidgetInterface*) {
    return false;
}

void CFileDialog::AddFilter(const common::CWideString& extension, const common::CWideString& description) {
    if (extension.GetLength() == 0)
        return;
    m_extensions.Add(extension);
    m_descriptions.Add(description.GetLength() != 0 ? description : extension);
}

common::CWideString CFileDialog::BuildFilterText() const {
    return BuildFilterText(common::CLocale::GetText(kTextAllFiles, ""),
                           common::CLocale::GetText(kTextAllSupported, ""));
}

common::CWideString CFileDialog::BuildFilterText(const common::CWideString& allFiles,
                                                 const common::CWideString& allSupported) const {
    std::u16string groups;
    std::u16string caption;
    std::u16string pattern;
    std::u16string combined;
    std::u16string current;
    auto closeGroup = [&]() {
        if (!caption.empty() || !pattern.empty()) {
            groups += caption + u")\n" + pattern + u"\n";
            caption.clear();
            pattern.clear();
        }
    };
    CFileDialog* self = const_cast<CFileDialog*>(this); // the lists' readers are not const
    const int count = self->m_extensions.GetCount();
    for (int i = 0; i < count; ++i) {
        const std::u16string extension = TextOf(self->m_extensions.GetAt(i));
        const std::u16string description = TextOf(self->m_descriptions.GetAt(i));
        // The first entry always opens a group, even with an empty description.
        if (i > 0 && description == current) {
            caption += u",*." + extension;
            pattern += u";*." + extension;
        } else {
            closeGroup();
            current = description;
            caption = current + u" (*." + extension;
            pattern = u"*." + extension;
        }
        if (!combined.empty())
            combined += u";";
        if (extension != u"*")
            combined += u"*." + extension;
    }
    closeGroup();
    std::u16string text;
    if (combined.empty())
        text = std::u16string(allFiles.GetWide()) + u" (*.*)\n*.*\n";
    else if (m_mode == kModeOpen)
        text = std::u16string(allSupported.GetWide()) + u"\n" + combined + u"\n" + groups;
    else
        text = groups;
    return common::CWideString(text.c_str());
}

} // namespace gui
