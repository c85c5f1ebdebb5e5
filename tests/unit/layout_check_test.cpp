// What the layout checker reports, one kind of problem at a time.
#include <gtest/gtest.h>

#include "board/layout_check.h"
#include "support/boards.h"

namespace {

Layout pair_on_floor()
{
    return board_of({{0, 0, 0, 1}, {1, 0, 0, 1}});
}

TEST(LayoutCheck, SoundLayoutHasNoProblems)
{
    Layout b = pair_on_floor();
    b.set(0, 0, 1, 1);
    b.set(1, 0, 1, 1);
    EXPECT_TRUE(layout_problems(b).empty()) << ::testing::PrintToString(b);
    EXPECT_EQ(layers_used(b), 0b11);
}

TEST(LayoutCheck, EachProblemAlone)
{
    Layout empty;
    empty.clear();
    ASSERT_EQ(layout_problems(empty).size(), 1u);
    EXPECT_EQ(layout_problems(empty)[0], "no pieces");
    EXPECT_EQ(layers_used(empty), 0);

    Layout odd = pair_on_floor();
    odd.set(5, 5, 0, 1);
    ASSERT_EQ(layout_problems(odd).size(), 1u);
    EXPECT_NE(layout_problems(odd)[0].find("odd count: 3"), std::string::npos);

    Layout floating = pair_on_floor();
    floating.set(7, 2, 3, 1);
    floating.set(7, 3, 3, 1);
    auto p = layout_problems(floating);
    ASSERT_EQ(p.size(), 1u) << ::testing::PrintToString(p);
    EXPECT_NE(p[0].find("2 piece(s) resting on nothing"), std::string::npos) << p[0];
    EXPECT_NE(p[0].find("(7, 2, 3), (7, 3, 3)"), std::string::npos) << p[0];

    Layout values = pair_on_floor();
    values.set(1, 0, 0, 200);
    p = layout_problems(values);
    ASSERT_EQ(p.size(), 1u) << ::testing::PrintToString(p);
    EXPECT_NE(p[0].find("1 cell(s) holding values other than 0 and 1: (1, 0, 0)"),
              std::string::npos)
        << p[0];
}

TEST(LayoutCheck, LongCellListsAreCut)
{
    Layout b;
    b.clear();
    for (int x = 0; x < 12; x++)
        b.set(x, 0, 2, 1);  // twelve pieces floating on layer 2
    auto p = layout_problems(b);
    ASSERT_EQ(p.size(), 1u);
    EXPECT_NE(p[0].find("(7, 0, 2) and 4 more"), std::string::npos) << p[0];
    EXPECT_EQ(p[0].find("(8, 0, 2)"), std::string::npos) << p[0];
}

}  // namespace
