// The headless renderer: never sized, never attached, but frames still count.
#include <gtest/gtest.h>

#include <memory>

#include "emu/host/CRenderer_NoRendering.h"

namespace {

bool CountRepaint(void* user) {
    ++*static_cast<int*>(user);
    return false;
}

TEST(CRenderer_NoRendering, RefusesEveryWindowAlsoNone) {
    emu::CRenderer_NoRendering renderer;
    int dummy = 0;
    EXPECT_FALSE(renderer.SetWindow(nullptr));
    EXPECT_FALSE(renderer.SetWindow(&dummy));
    EXPECT_FALSE(renderer.Open());
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    EXPECT_FALSE(renderer.GetClientRect(&left, &top, &right, &bottom));
    EXPECT_FALSE(renderer.FitToClient());
}

TEST(CRenderer_NoRendering, NeverTakesASize) {
    emu::CRenderer_NoRendering renderer;
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(renderer.SetSize(512, 256, true));
        EXPECT_FALSE(renderer.SetSize(1, 1, false));
    }
    EXPECT_EQ(0, renderer.GetWidth());
    EXPECT_EQ(0, renderer.GetHeight());
    EXPECT_TRUE(renderer.IsSize(0, 0));
    EXPECT_FALSE(renderer.IsSize(512, 256));
}

TEST(CRenderer_NoRendering, FramesAndPresentsCountAsInTheBase) {
    emu::CRenderer_NoRendering renderer;
    int repaints = 0;
    renderer.SetRepaintHook(&CountRepaint, &repaints);
    EXPECT_TRUE(renderer.RequestPresent(false)); // a new renderer's frame is dirty
    EXPECT_FALSE(renderer.RequestPresent(false));
    EXPECT_TRUE(renderer.RequestPresent(true));
    renderer.EndFrame(true, 1.5f);
    EXPECT_EQ(1, repaints);
    EXPECT_TRUE(renderer.RequestPresent(false)); // the forced present's frame end
    EXPECT_EQ(5u, renderer.GetPresentedFrameCount());
}

TEST(CRenderer_NoRendering, CreateInstanceMakesAFreshIndependentRenderer) {
    emu::CRenderer_NoRendering renderer;
    renderer.SetBorderColour(0xFF112233u);
    renderer.SetStretchMode(1);
    renderer.RequestPresent(false);
    std::unique_ptr<emu::CRenderer> copy(renderer.CreateInstance());
    ASSERT_NE(nullptr, copy);
    EXPECT_NE(&renderer, copy.get());
    EXPECT_STREQ("No Rendering", copy->GetName());
    EXPECT_EQ(0xFF000000u, copy->GetBorderColour());
    EXPECT_EQ(0, copy->GetStretchMode());
    EXPECT_TRUE(copy->IsFrameDirty());
    EXPECT_EQ(1u, copy->GetPresentedFrameCount());
    EXPECT_TRUE(copy->IsSize(0, 0));
    EXPECT_FALSE(copy->SetWindow(nullptr));
    EXPECT_EQ(0xFF112233u, renderer.GetBorderColour());
}

TEST(CRenderer_NoRendering, NamesItself) {
    emu::CRenderer_NoRendering renderer;
    EXPECT_STREQ("No Rendering", renderer.GetName());
    EXPECT_FALSE(renderer.IsSlot19Set());
    EXPECT_TRUE(renderer.Initialize());
    renderer.InvalidateBackground(); // nothing to paint
}

} // namespace
