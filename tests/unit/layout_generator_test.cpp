// Shapes made to order: the rules every shape keeps, and the property of the solver that
// the search's quick first look at each deal rests on.
#include <gtest/gtest.h>

#include <atomic>
#include <string>

#include "board/layout_check.h"
#include "board/layout_text.h"
#include "solve/layout_generator.h"
#include "solve/rating.h"
#include "solve/solver.h"
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

TEST(LayoutGeneratorOnThreads, SameShapeOnAnyNumberOfThreadsAndStopsWhenCancelled)
{
    SearchOptions options;
    options.deals = 40;
    options.final_deals = 40;
    options.min_clear = 97;
    options.budget = 40 * 800;
    options.threads = 1;
    const ShapeRequest request{60, 3, true};
    SearchResult one = generate_layout(request, options);
    options.threads = 3;
    SearchResult three = generate_layout(request, options);
    EXPECT_GT(one.shapes_rated, 1) << "the search must have weighed shapes";
    EXPECT_EQ(one.shapes_rated, three.shapes_rated);
    EXPECT_EQ(one.reached, three.reached);
    EXPECT_EQ(layout_to_text(one.shape), layout_to_text(three.shape));
    EXPECT_EQ(one.final_rating.cleared, three.final_rating.cleared);
    EXPECT_FALSE(three.cancelled);

    std::atomic<bool> cancel{false};
    options.cancel = &cancel;
    options.min_clear = 100;  // out of reach: only the cancel ends it early
    options.budget = 0;
    int reports = 0;
    options.progress = [&](const SearchProgress &) {
        if (++reports == 50)
            cancel = true;
    };
    SearchResult stopped = improve_layout(one.shape, options);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_LT(reports, 80) << "no new deals once cancelled";
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
