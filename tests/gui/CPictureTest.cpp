// The portable picture: the owned image list, masks from colour keys, the
// current index and when the picture asks to be redrawn.
#include "gui/CPicture.h"

#include <gtest/gtest.h>

#include "common/CRgbImage_32Bpp.h"
#include "tests/gui/WidgetTestSupport.h"

namespace {

class TestPicture : public gui::CPicture, public guitest::FakeControl {
public:
    void Refresh() override { ++m_refreshes; }
    int m_refreshes = 0;
};

// Counts its deletions so the tests see what the picture frees.
class CountedImage : public common::CRgbImage_32Bpp {
public:
    explicit CountedImage(int* deletions, bool keyed = false) : m_deletions(deletions) {
        Allocate(2, 2);
        if (keyed)
            SetColourKey(0xFFFF00FF);
    }
    ~CountedImage() override { ++*m_deletions; }
    int* m_deletions;
};

TEST(PictureTest, FirstImageRefreshesLaterOnesDoNot) {
    int deletions = 0;
    {
        TestPicture picture;
        EXPECT_EQ(picture.AddImage(new CountedImage(&deletions)), 0);
        EXPECT_EQ(picture.m_refreshes, 1);
        EXPECT_EQ(picture.AddImage(new CountedImage(&deletions, true)), 1);
        EXPECT_EQ(picture.m_refreshes, 1);
        EXPECT_EQ(picture.AddImage(nullptr), -1);
        EXPECT_EQ(picture.GetImageCount(), 2);
        EXPECT_EQ(picture.GetMask(0), nullptr); // no colour key: drawn opaque
        EXPECT_NE(picture.GetMask(1), nullptr);
        EXPECT_TRUE(picture.SetCurrentImage(1));
        EXPECT_EQ(picture.m_refreshes, 2);
    }
    EXPECT_EQ(deletions, 2);
}

TEST(PictureTest, OutOfRangeSelectionIsStoredButReportsFalse) {
    int deletions = 0;
    TestPicture picture;
    picture.AddImage(new CountedImage(&deletions));
    picture.AddImage(new CountedImage(&deletions));
    EXPECT_FALSE(picture.SetCurrentImage(5));
    EXPECT_EQ(picture.GetCurrentImage(), 5);
    EXPECT_EQ(picture.GetImage(5), nullptr);
    EXPECT_EQ(picture.GetImage(-1), nullptr);
    EXPECT_TRUE(picture.SetCurrentImage(0));
    EXPECT_NE(picture.GetImage(0), nullptr);
}

TEST(PictureTest, ReplacingDeletesTheOldImageUnlessItIsTheSame) {
    int deletions = 0;
    TestPicture picture;
    CountedImage* first = new CountedImage(&deletions);
    picture.AddImage(first);
    const int refreshes = picture.m_refreshes;
    EXPECT_TRUE(picture.SetImage(first, 0));
    EXPECT_EQ(deletions, 0);
    CountedImage* second = new CountedImage(&deletions, true);
    EXPECT_TRUE(picture.SetImage(second, 0));
    EXPECT_EQ(deletions, 1);
    EXPECT_EQ(picture.GetImage(0), second);
    EXPECT_NE(picture.GetMask(0), nullptr);
    EXPECT_EQ(picture.m_refreshes, refreshes + 2);
    CountedImage* stray = new CountedImage(&deletions);
    EXPECT_FALSE(picture.SetImage(stray, 1));
    EXPECT_FALSE(picture.SetImage(nullptr, 0));
    delete stray;
    picture.ClearImages();
    EXPECT_EQ(picture.GetImageCount(), 0);
    EXPECT_EQ(deletions, 3);
}

} // namespace
