#include "gui/Units.h"

#include <gtest/gtest.h>

namespace {

using gui::Windows::Dpi;

// Keeps the process-wide DPI values of each test to itself.
class UnitsTest : public ::testing::Test {
protected:
    void SetUp() override { m_saved = Dpi(); }
    void TearDown() override { Dpi() = m_saved; }

    gui::Windows::CDpiValues m_saved;
};

TEST_F(UnitsTest, SetupDerivesLayoutDpiByTheStepsOfTheRealDpi) {
    struct Case {
        int32_t m_real;
        int32_t m_layout;
    };
    const Case cases[] = {{96, 137},  {110, 157}, {111, 128}, {120, 138},
                          {135, 155}, {136, 141}, {144, 149}, {192, 199}};
    for (const Case& c : cases) {
        gui::Windows::SetupDpi(c.m_real, c.m_real);
        EXPECT_EQ(Dpi().m_realX, c.m_real);
        EXPECT_EQ(Dpi().m_layoutX, c.m_layout) << "real " << c.m_real;
        EXPECT_EQ(Dpi().m_layoutY, c.m_layout) << "real " << c.m_real;
        EXPECT_TRUE(Dpi().m_realKnown);
        EXPECT_TRUE(Dpi().m_computed);
    }
}

TEST_F(UnitsTest, SetupFallsBackTo96WhenTheScreenGivesNothing) {
    gui::Windows::SetupDpi(0, 0);
    EXPECT_EQ(Dpi().m_realX, 96);
    EXPECT_EQ(Dpi().m_realY, 96);
    EXPECT_EQ(Dpi().m_layoutX, 137);
    EXPECT_EQ(Dpi().m_layoutY, 137);
    // A missing vertical value takes the horizontal one.
    gui::Windows::SetupDpi(120, -1);
    EXPECT_EQ(Dpi().m_realY, 120);
}

TEST_F(UnitsTest, FactorIsChosenFromBothDirections) {
    // 96 across but 120 down: the middle factor for both.
    gui::Windows::SetupDpi(96, 120);
    EXPECT_EQ(Dpi().m_layoutX, 110); // 96 * 1.15 = 110.4
    EXPECT_EQ(Dpi().m_layoutY, 138);
}

TEST_F(UnitsTest, ConversionsBeforeAnySetupUse96Dpi) {
    gui::Windows::CDpiValues fresh;
    Dpi() = fresh;
    int32_t x = 254;
    int32_t y = 254;
    gui::Windows::UnitsToPixels(&x, &y, gui::Windows::kUnitTenthMillimetres);
    EXPECT_EQ(x, 96);
    EXPECT_EQ(y, 96);
}

TEST_F(UnitsTest, IntegerConversionsRoundAsDescribed) {
    gui::Windows::SetupDpi(96, 96); // layout 137
    struct Case {
        int32_t m_unit;
        int32_t m_in;
        int32_t m_pixels;
    };
    const Case cases[] = {
        {gui::Windows::kUnitMillimetres, 10, 54},                  // (10*137*10 + 127) / 254
        {gui::Windows::kUnitTenthMillimetres, 10, 5},              // (10*137 + 127) / 254
        {gui::Windows::kUnitMillimetres, -1, -4},                  // truncates toward zero
        {gui::Windows::kUnitPixels, 77, 77},          {3, 77, 77}, // unknown unit: unchanged
    };
    for (const Case& c : cases) {
        int32_t x = c.m_in;
        int32_t y = c.m_in;
        gui::Windows::UnitsToPixels(&x, &y, c.m_unit);
        EXPECT_EQ(x, c.m_pixels) << "unit " << c.m_unit << " value " << c.m_in;
        EXPECT_EQ(y, c.m_pixels);
    }
    int32_t x = 54;
    int32_t y = 5;
    gui::Windows::PixelsToUnits(&x, nullptr, gui::Windows::kUnitMillimetres);
    gui::Windows::PixelsToUnits(nullptr, &y, gui::Windows::kUnitTenthMillimetres);
    EXPECT_EQ(x, 9); // (54*254 - 127) / 1370
    EXPECT_EQ(y, 8); // (5*254 - 127) / 137
}

TEST_F(UnitsTest, LargeValuesSaturateInsteadOfOverflowing) {
    gui::Windows::SetupDpi(96, 96);
    int32_t x = INT32_MAX;
    int32_t y = INT32_MIN;
    gui::Windows::UnitsToPixels(&x, &y, gui::Windows::kUnitMillimetres);
    EXPECT_EQ(x, INT32_MAX);
    EXPECT_EQ(y, INT32_MIN);
}

TEST_F(UnitsTest, FloatingConversionsAreExact) {
    gui::Windows::SetupDpi(96, 96);
    double x = 25.4;
    double y = 254.0;
    gui::Windows::UnitsToPixelsF(&x, nullptr, gui::Windows::kUnitMillimetres);
    gui::Windows::UnitsToPixelsF(nullptr, &y, gui::Windows::kUnitTenthMillimetres);
    EXPECT_DOUBLE_EQ(x, 137.0);
    EXPECT_DOUBLE_EQ(y, 137.0);
    gui::Windows::PixelsToUnitsF(&x, &y, gui::Windows::kUnitMillimetres);
    EXPECT_DOUBLE_EQ(x, 25.4);
    EXPECT_DOUBLE_EQ(y, 25.4);
}

} // namespace
