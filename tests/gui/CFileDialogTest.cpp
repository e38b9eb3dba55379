// The portable file dialog: filter entries and the filter text that the
// system's file dialog is given, in open and save mode.
#include "gui/CFileDialog.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/gui/WidgetTestSupport.h"

namespace {

class PortableFileDialog : public gui::CFileDialog, public guitest::FakeContainer {
public:
    explicit PortableFileDialog(int32_t mode) : gui::CFileDialog(mode) {}
    bool RunThen(gui::CWidgetInterface*, RunThenCallback, bool) override { return false; }
    bool OnCreate() override { return true; }
    common::CWideString GetCaption() const override { return common::CWideString(); }
    void SetCaption(const common::CWideString&) override {}
    gui::CMenuBar* GetMenuBar() override { return nullptr; }
    bool SetMenuBar(gui::CMenuBar*) override { return false; }
    bool IsDialog() const override { return true; }
    gui::CWindowInterface* GetWindow() override { return this; }
    gui::CFrameWindowInterface* GetFrameWindow() override { return nullptr; }
};

common::CWideString W(const char16_t* text) {
    return common::CWideString(text);
}

std::u16string Filter(const gui::CFileDialog& dialog) {
    return std::u16string(dialog.BuildFilterText(W(u"All Files"), W(u"All Supported Files")).GetWide());
}

void AddFloppyTypes(gui::CFileDialog& dialog) {
    dialog.AddFilter(W(u"kdi"), W(u"Korvet Disk Images"));
    dialog.AddFilter(W(u"img"), W(u"Raw Disk Images"));
    dialog.AddFilter(W(u"ima"), W(u"Raw Disk Images"));
    dialog.AddFilter(W(u"dsk"), W(u"Raw Disk Images"));
    dialog.AddFilter(W(u"*"), W(u"All Files"));
}

TEST(FileDialogFilterTest, OpenModeListsTheCombinedEntryFirst) {
    PortableFileDialog dialog(gui::CFileDialogInterface::kModeOpen);
    AddFloppyTypes(dialog);
    EXPECT_EQ(Filter(dialog), u"All Supported Files\n*.kdi;*.img;*.ima;*.dsk;\n"
                              u"Korvet Disk Images (*.kdi)\n*.kdi\n"
                              u"Raw Disk Images (*.img,*.ima,*.dsk)\n*.img;*.ima;*.dsk\n"
                              u"All Files (*.*)\n*.*\n");
}

TEST(FileDialogFilterTest, SaveModeListsOnlyTheGroups) {
    PortableFileDialog dialog(gui::CFileDialogInterface::kModeSave);
    AddFloppyTypes(dialog);
    EXPECT_EQ(Filter(dialog), u"Korvet Disk Images (*.kdi)\n*.kdi\n"
                              u"Raw Disk Images (*.img,*.ima,*.dsk)\n*.img;*.ima;*.dsk\n"
                              u"All Files (*.*)\n*.*\n");
}

TEST(FileDialogFilterTest, NoRealExtensionGivesTheEveryFileEntry) {
    for (int32_t mode : {0, 1}) {
        PortableFileDialog empty(mode);
        EXPECT_EQ(Filter(empty), u"All Files (*.*)\n*.*\n");
        PortableFileDialog stars(mode);
        stars.AddFilter(W(u"*"), W(u"Anything"));
        EXPECT_EQ(Filter(stars), u"All Files (*.*)\n*.*\n");
    }
}

TEST(FileDialogFilterTest, GroupsAreRunsOfEqualDescriptions) {
    PortableFileDialog dialog(gui::CFileDialogInterface::kModeSave);
    dialog.AddFilter(W(u"a"), W(u"One"));
    dialog.AddFilter(W(u"b"), W(u"Two"));
    dialog.AddFilter(W(u"c"), W(u"One"));
    dialog.AddFilter(W(u""), W(u"Ignored"));
    dialog.AddFilter(W(u"sav"), W(u""));
    EXPECT_EQ(dialog.GetFilterCount(), 4);
    EXPECT_EQ(Filter(dialog), u"One (*.a)\n*.a\nTwo (*.b)\n*.b\nOne (*.c)\n*.c\nsav (*.sav)\n*.sav\n");
}

TEST(FileDialogFilterTest, PortableDialogCannotRun) {
    PortableFileDialog dialog(gui::CFileDialogInterface::kModeOpen);
    EXPECT_FALSE(dialog.Show(nullptr, common::CPath(u"/tmp")));
    EXPECT_EQ(dialog.GetFileName().CompareWideString(common::CWideString(u"/tmp")), 0);
    EXPECT_EQ(dialog.GetResult(), 0);
    EXPECT_TRUE(dialog.EndModal(7));
    EXPECT_EQ(dialog.GetResult(), 7);
}

} // namespace
