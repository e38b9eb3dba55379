// The Win32 cursor object: standard shapes, cursors made from images and the
// sharing of an image cursor's handle between copies.
#include "gui/windows/CCursor.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/CRgbImage_32Bpp.h"
#include "gui/windows/Win32Api.h"

namespace {

struct Recorder {
    std::vector<bool> m_phases;
    static void Record(void* user, gui::Windows::CCursor*, bool before) {
        static_cast<Recorder*>(user)->m_phases.push_back(before);
    }
};

common::CRgbImage_32Bpp* Arrow() {
    common::CRgbImage_32Bpp* image = new common::CRgbImage_32Bpp();
    EXPECT_TRUE(image->Allocate(8, 8));
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            image->SetPixelARGB(y, x, x < y ? 0xFFFFFFFF : (x == y ? 0xFF000000 : 0xFF00FF00));
    return image;
}

TEST(Win32CursorTest, StandardKinds) {
    Recorder recorder;
    gui::Windows::CCursor cursor(&Recorder::Record, &recorder);
    EXPECT_TRUE(cursor.SetStandard(gui::CCursor::kKindNone)); // same kind
    EXPECT_TRUE(recorder.m_phases.empty());
    EXPECT_TRUE(cursor.SetStandard(gui::CCursor::kKindHand));
    EXPECT_EQ(cursor.GetKind(), gui::CCursor::kKindHand);
    EXPECT_NE(cursor.GetHandle(), nullptr);
    EXPECT_EQ(recorder.m_phases.back(), false);
    EXPECT_FALSE(cursor.SetStandard(gui::CCursor::kKindImage));
}

TEST(Win32CursorTest, ImageCursorIsMadeAndEmptyImageRefused) {
    gui::Windows::CCursor cursor(nullptr, nullptr);
    common::CRgbImage_32Bpp empty;
    EXPECT_FALSE(cursor.CreateFromImageDefault(&empty, 0, 0));
    EXPECT_EQ(cursor.GetKind(), gui::CCursor::kKindNone);
    common::CRgbImage_32Bpp* image = Arrow();
    ASSERT_TRUE(cursor.CreateFromImageDefault(image, 1, 1));
    EXPECT_EQ(cursor.GetKind(), gui::CCursor::kKindImage);
    EXPECT_NE(cursor.GetHandle(), nullptr);
    delete image;
}

TEST(Win32CursorTest, SharedImageHandleOutlivesTheFirstClear) {
    common::CRgbImage_32Bpp* image = Arrow();
    gui::Windows::CCursor first(nullptr, nullptr);
    gui::Windows::CCursor second(nullptr, nullptr);
    ASSERT_TRUE(first.CreateFromImageDefault(image, 0, 0));
    HCURSOR handle = first.GetHandle();
    second.Assign(&first);
    EXPECT_EQ(second.GetHandle(), handle);
    EXPECT_EQ(second.GetKind(), gui::CCursor::kKindImage);
    first.Clear();
    EXPECT_EQ(first.GetHandle(), nullptr);
    // The second holder still has a live cursor.
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(handle, &info));
    DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr)
        DeleteObject(info.hbmColor);
    second.Clear();
    EXPECT_EQ(second.GetKind(), gui::CCursor::kKindNone);
    delete image;
}

} // namespace
