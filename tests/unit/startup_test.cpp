// Start-up pieces that can be checked without a display: the order in which colour depths
// are tried, and releasing whatever resources exist.
#include <gtest/gtest.h>

#include <vector>

#include "app/resources.h"

namespace {

std::vector<int> tried;    // depths offered to the fake mode setter, in order
std::vector<int> accepts;  // depths the fake display can open

int fake_open(int card, int w, int h, int vw, int vh)
{
    EXPECT_EQ(card, GFX_AUTODETECT_WINDOWED);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    EXPECT_EQ(vw, 0);
    EXPECT_EQ(vh, 0);
    int depth = get_color_depth();
    tried.push_back(depth);
    for (int d : accepts)
        if (d == depth)
            return 0;
    return -1;
}

int open_with(std::vector<int> accepted)
{
    tried.clear();
    accepts = accepted;
    return open_first_depth(GFX_AUTODETECT_WINDOWED, fake_open);
}

TEST(DisplayMode, TriesSixteenThenThirtyTwoThenFifteenThenTwentyFour)
{
    EXPECT_EQ(open_with({16, 32, 15, 24}), TRUE);
    EXPECT_EQ(tried, std::vector<int>({16}));
    EXPECT_EQ(get_color_depth(), 16);

    EXPECT_EQ(open_with({32, 15, 24}), TRUE);
    EXPECT_EQ(tried, std::vector<int>({16, 32})) << "32 wins over 15 and 24";
    EXPECT_EQ(get_color_depth(), 32);

    EXPECT_EQ(open_with({15, 24}), TRUE);
    EXPECT_EQ(tried, std::vector<int>({16, 32, 15}));

    EXPECT_EQ(open_with({24, 8}), TRUE);
    EXPECT_EQ(tried, std::vector<int>({16, 32, 15, 24}));

    EXPECT_EQ(open_with({8}), 0) << "8 bits is never tried";
    EXPECT_EQ(tried, std::vector<int>({16, 32, 15, 24}));
    EXPECT_EQ(get_color_depth(), 24) << "left at the last depth tried";
}

TEST(Resources, ConstructedWithNoBitmaps)
{
    GameResources fresh;
    EXPECT_EQ(fresh.buffer, nullptr);
    EXPECT_EQ(fresh.piece_image, nullptr);
    EXPECT_EQ(fresh.title_image, nullptr);
    EXPECT_EQ(fresh.background_image, nullptr);
    EXPECT_EQ(fresh.symbol_strip, nullptr);
}

}  // namespace
