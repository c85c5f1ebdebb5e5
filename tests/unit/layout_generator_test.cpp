// Shapes made to order: the rules every shape keeps, and the property of the solver that
// the search's quick first look at each deal rests on.
#include <gtest/gtest.h>

#include <string>

#include "board/layout_check.h"
#include "play/layout_generator.h"
#include "play/rating.h"
#include "play/solver.h"
#include "support/boards.h"

namespace {

TEST(LayoutGenerator, EveryShapeKeepsCountSupportLayersAndMirror)
{
    struct Request {
        int pieces, layers;
        bool mirror;
    } requests[] = {{2, 1, true},  {2, 1, false}, {40, 3, false},
                    {144, 5, true}, {84, 1, true}, {420, 5, true}};
    SearchOptions options;
    options.min_clear = 0;  // the first shape built is kept: what is tested is how it is built
    options.deals = 3;
    options.final_deals = 3;
    for (const Request &r : requests) {
        SCOPED_TRACE(std::to_string(r.pieces) + " pieces, " + std::to_string(r.layers) +
                     " layers, mirror " + std::to_string(r.mirror));
        ASSERT_EQ(request_problem({r.pieces, r.layers, r.mirror}), "");
        SearchResult made = generate_layout({r.pieces, r.layers, r.mirror}, options);
        ASSERT_TRUE(made.reached);
        EXPECT_EQ(made.shape.count, r.pieces);
        EXPECT_EQ(layout_problems(made.shape), std::vector<std::string>{})
            << ::testing::PrintToString(made.shape);
        EXPECT_LT(layers_used(made.shape), 1 << r.layers) << ::testing::PrintToString(made.shape);
        if (r.mirror) {
            EXPECT_TRUE(is_mirrored(made.shape)) << ::testing::PrintToString(made.shape);
        }
    }
    EXPECT_NE(request_problem({143, 5, true}), "");
    EXPECT_NE(request_problem({170, 2, false}), "");
    EXPECT_NE(request_problem({2, 7, false}), "");
}

// The search first looks at each deal with a small node limit and takes what that settles
// as what the full limit would settle: a search with a larger limit goes through the same
// positions first.
TEST(LayoutGenerator, SmallerNodeLimitNeverChangesADecidedAnswer)
{
    Layout shape;
    shape.clear();
    ASSERT_TRUE(shape.load((std::string(TILESTACK_GAMEDATA) + "/1.lyt").c_str()));
    RatingOptions options;
    int left_open = 0;
    for (int k = 0; k < 60; k++) {
        Layout board;
        ASSERT_TRUE(deal_for_rating(shape, options, k, board));
        SolveResult quick = solve_board(board, 100).result;
        SolveResult full = solve_board(board, options.node_limit).result;
        if (quick == SolveResult::unknown)
            left_open++;
        else
            EXPECT_EQ(quick, full) << "deal " << k;
    }
    EXPECT_GT(left_open, 0) << "some deals need more than the small limit";
}

}  // namespace
