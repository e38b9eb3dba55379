#include <gtest/gtest.h>

#include "common/CSettingsRegistry.h"
#include "common/CValue.h"
#include "common/CWideString.h"
#include "emu/framework/COptionTree.h"
#include "emu/framework/CVideo.h"
#include "emu/framework/VideoTestSupport.h"

using videotest::CTestDisplay;
using videotest::CVideoRig;

namespace {

common::COptionNodeInterface* Child(common::COptionNodeInterface* node, int32_t index) {
    common::COptionNodeInterface* child = node->GetChildAt(index);
    EXPECT_NE(child, nullptr) << index;
    return child;
}

} // namespace

TEST(VideoSettings, VideoMenuOffersRenderModesAndAspectRatios) {
    CTestDisplay video;
    emu::COptionTree menu;
    video.BuildMenu(&menu, emu::CVideo::kMenuVideo);
    ASSERT_EQ(menu.GetChildCount(), 4);
    EXPECT_EQ(Child(&menu, 0)->GetTag(), 40);
    EXPECT_EQ(Child(&menu, 1)->GetTag(), 41);
    EXPECT_TRUE(Child(&menu, 2)->IsLocked());
    common::COptionNodeInterface* aspect = Child(&menu, 3);
    EXPECT_EQ(aspect->GetTag(), 42);
    ASSERT_EQ(aspect->GetChildCount(), 7);
    EXPECT_EQ(Child(aspect, 0)->GetTag(), 43);
    EXPECT_TRUE(Child(aspect, 1)->IsLocked());
    const char16_t* texts[] = {u"4.0/3", u"4.3/3", u"4.5/3", u"4.7/3", u"4.9/3"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Child(aspect, i + 2)->GetName().GetText(), texts[i]);

    // Radio items: checked by value, set their value when chosen.
    EXPECT_TRUE(Child(&menu, 1)->IsChecked());
    EXPECT_TRUE(Child(&menu, 0)->Activate());
    EXPECT_EQ(video.GetRenderMode(), emu::CVideo::kRenderFrame);
    EXPECT_TRUE(Child(&menu, 0)->IsChecked());
    EXPECT_FALSE(Child(&menu, 1)->IsChecked());

    // The sub-menu shows a check only while a fixed ratio is chosen.
    EXPECT_TRUE(Child(aspect, 0)->IsChecked());
    EXPECT_FALSE(aspect->IsChecked());
    EXPECT_TRUE(Child(aspect, 4)->Activate());
    EXPECT_EQ(video.GetAspectIndex(), 3);
    EXPECT_TRUE(aspect->IsChecked());
    EXPECT_TRUE(Child(aspect, 0)->Activate());
    EXPECT_EQ(video.GetAspectIndex(), 0);
    EXPECT_FALSE(aspect->IsChecked());
}

TEST(VideoSettings, MenuItemsWorkOnlyWhileTheVideoIsStopped) {
    CVideoRig rig;
    emu::COptionTree menu;
    rig.m_display->BuildMenu(&menu, emu::CVideo::kMenuVideo);
    common::COptionNodeInterface* aspect = Child(&menu, 3);
    EXPECT_TRUE(Child(&menu, 0)->IsEnabled());
    ASSERT_TRUE(rig.Start());
    EXPECT_FALSE(Child(&menu, 0)->IsEnabled());
    EXPECT_FALSE(Child(&menu, 1)->IsEnabled());
    EXPECT_FALSE(Child(aspect, 0)->IsEnabled());
    for (int i = 2; i < 7; ++i)
        EXPECT_FALSE(Child(aspect, i)->IsEnabled()) << i;
    EXPECT_FALSE(Child(&menu, 0)->Activate());
    EXPECT_EQ(rig.m_display->GetRenderMode(), emu::CVideo::kRenderScanline);
}

TEST(VideoSettings, OtherMenusAndForeignSettingsAddNothing) {
    CTestDisplay video;
    emu::COptionTree other;
    video.BuildMenu(&other, 1);
    EXPECT_EQ(other.GetChildCount(), 0);

    int32_t renderMode = 0;
    int32_t aspectIndex = 0;
    video.SetSettingPointers(&renderMode, &aspectIndex);
    emu::COptionTree menu;
    video.BuildMenu(&menu, emu::CVideo::kMenuVideo);
    EXPECT_EQ(menu.GetChildCount(), 0);
    common::CSettingsRegistry registry;
    EXPECT_TRUE(video.CollectProperties(&registry, false));
    EXPECT_EQ(registry.FindValue(common::CNarrowString("RenderMode")), nullptr);
    EXPECT_EQ(registry.FindValue(common::CNarrowString("AspectIndex")), nullptr);
    video.SetRenderMode(1);
    EXPECT_EQ(renderMode, 1);
}

TEST(VideoSettings, PropertiesAreSigned32BitBindingsUnlessOnlyEnabledOnesAreAsked) {
    CTestDisplay video;
    {
        common::CSettingsRegistry registry;
        EXPECT_TRUE(video.CollectProperties(&registry, true));
        EXPECT_EQ(registry.FindValue(common::CNarrowString("RenderMode")), nullptr);
    }
    common::CSettingsRegistry registry;
    EXPECT_TRUE(video.CollectProperties(&registry, false));
    common::CValue* mode = registry.FindValue(common::CNarrowString("RenderMode"));
    common::CValue* aspect = registry.FindValue(common::CNarrowString("AspectIndex"));
    ASSERT_NE(mode, nullptr);
    ASSERT_NE(aspect, nullptr);
    EXPECT_EQ(mode->GetType(), common::CValue::kTypeInt32);
    EXPECT_EQ(aspect->GetType(), common::CValue::kTypeInt32);
    EXPECT_TRUE(mode->SetInt32(0));
    EXPECT_EQ(video.GetRenderMode(), 0);
    EXPECT_TRUE(aspect->SetInt32(4));
    EXPECT_EQ(video.GetAspectIndex(), 4);
}

TEST(VideoSettings, ValidationCorrectsOutOfRangeValues) {
    const struct {
        int32_t mode, aspect;
        bool valid;
        int32_t correctedMode, correctedAspect;
    } cases[] = {
        {0, 0, true, 0, 0}, {1, 5, true, 1, 5}, {2, 0, false, 1, 0}, {0, -1, false, 0, 0}, {-1, 6, false, 1, 0},
    };
    for (const auto& c : cases) {
        CTestDisplay video;
        video.SetRenderMode(c.mode);
        video.SetAspectIndex(c.aspect);
        EXPECT_EQ(video.ValidateProperties(false), c.valid) << c.mode << " " << c.aspect;
        EXPECT_EQ(video.GetRenderMode(), c.correctedMode);
        EXPECT_EQ(video.GetAspectIndex(), c.correctedAspect);
    }
}
