// Rating a shape: the first-pair player and the shares over many deals.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "solve/rating.h"
#include "solve/solver.h"
#include "support/boards.h"

namespace {

// Four 1s: two free at the edges, and two stacked, so the lower one is freed only when the
// upper one goes. Taking the two edge pieces first (the lowest cells) strands the stack.
Layout trap()
{
    return board_of({{0, 0, 0, 1}, {11, 0, 0, 1}, {5, 3, 0, 1}, {5, 3, 1, 1}});
}

TEST(FirstPairPlayer, TakesTheLowestFreePairEvenWhenThatLoses)
{
    Layout b = trap();
    EXPECT_FALSE(first_pair_player_clears(b)) << ::testing::PrintToString(b);
    EXPECT_EQ(solve_board(b).result, SolveResult::cleared) << "pairing across the stack wins";

    // A stack of 1 on 2 with the partners at the bottom edge: the first free piece, the 1 at
    // (0, 6, 0), pairs with the top of the stack, which frees the 2 for its partner.
    Layout fine = board_of({{5, 3, 0, 2}, {5, 3, 1, 1}, {0, 6, 0, 1}, {11, 6, 0, 2}});
    EXPECT_TRUE(first_pair_player_clears(fine)) << ::testing::PrintToString(fine);
}

TEST(FirstPairPlayer, EmptyBoardIsCleared)
{
    Layout b;
    b.clear();
    EXPECT_TRUE(first_pair_player_clears(b));
}

TEST(RatingSecondLook, EachOpenDealGetsTheLimitOrItsShareOfTheBudget)
{
    const struct {
        int deals;
        long node_limit, second_node_limit;
        int open;
        long expected;
    } cases[] = {
        {1000, 20000, 5000000, 4, 5000000},  // few open: the limit itself
        {1000, 20000, 5000000, 10, 2000000}, // more: 20 million shared out
        {300, 20000, 5000000, 300, 20000},   // every deal open: no more than the first look
        {1000, 20000, 0, 4, 0},              // no second look
        {1000, 20000, 5000000, 0, 0},        // nothing open
    };
    for (const auto &c : cases) {
        RatingOptions options;
        options.deals = c.deals;
        options.node_limit = c.node_limit;
        options.second_node_limit = c.second_node_limit;
        EXPECT_EQ(second_look_limit(options, c.open), c.expected) << c.deals << " " << c.open;
    }
}

TEST(RatingOnThreads, SharesAddUpAndRepeatForTheSameSeed)
{
    Layout shape;
    shape.clear();
    for (int x = 0; x < 8; x++) {
        shape.set(x, 2, 0, 1);
        shape.set(x, 3, 0, 1);
    }
    for (int x = 2; x < 6; x++)
        shape.set(x, 2, 1, 1);

    RatingOptions options;
    options.deals = 60;
    options.seed = 42;
    options.symbols = 4;
    int reported = 0;
    options.progress = [&](int done) { reported = done; };
    Rating first = rate_layout(shape, options);
    EXPECT_EQ(reported, 60);
    EXPECT_EQ(first.deals, 60);
    EXPECT_EQ(first.cleared + first.stuck + first.unknown, 60);
    EXPECT_LE(first.first_pair, first.cleared) << "the first-pair player never beats the search";
    EXPECT_GT(first.cleared, 0);

    Rating again = rate_layout(shape, options);
    EXPECT_EQ(again.cleared, first.cleared);
    EXPECT_EQ(again.stuck, first.stuck);
    EXPECT_EQ(again.first_pair, first.first_pair);

    Layout empty;
    empty.clear();
    EXPECT_EQ(rate_layout(empty, options).deals, 0);
}

TEST(RatingOnThreads, SameCountsOnAnyNumberOfThreadsAndStopsWhenCancelled)
{
    Layout shape;
    shape.clear();
    ASSERT_TRUE(shape.load((std::string(TILESTACK_GAMEDATA) + "/1.lyt").c_str()));
    RatingOptions options;
    options.deals = 120;
    options.threads = 1;
    options.node_limit = 50;  // so small that the second look has deals to decide
    std::srand(31);
    const int untouched = std::rand();
    std::srand(31);
    Rating one = rate_layout(shape, options);
    EXPECT_EQ(std::rand(), untouched) << "rating leaves rand() alone";
    for (int threads : {0, 2, 5}) {
        options.threads = threads;
        // Reports come one at a time, each count above the last.
        int last = 0;
        bool growing = true;
        options.progress = [&](int done) {
            growing = growing && done == last + 1;
            last = done;
        };
        Rating many = rate_layout(shape, options);
        EXPECT_TRUE(growing);
        EXPECT_EQ(last, 120);
        EXPECT_EQ(many.cleared, one.cleared) << threads << " threads";
        EXPECT_EQ(many.stuck, one.stuck);
        EXPECT_EQ(many.unknown, one.unknown);
        EXPECT_EQ(many.first_pair, one.first_pair);
    }

    EXPECT_EQ(one.unknown, 0);

    // Cancelled after 30 deals: no more are started, and the rating covers those done.
    options.node_limit = RatingOptions().node_limit;
    std::atomic<bool> cancel{false};
    options.threads = 2;
    options.cancel = &cancel;
    options.progress = [&](int done) {
        if (done == 30)
            cancel = true;
    };
    Rating part = rate_layout(shape, options);
    EXPECT_GE(part.deals, 30);
    EXPECT_LE(part.deals, 31) << "the other thread finishes the deal it had begun";
    EXPECT_EQ(part.cleared + part.stuck + part.unknown, part.deals);
}

}  // namespace
