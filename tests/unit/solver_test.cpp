// The solver for dealt boards: its answers against a plain search of every move on small
// boards, its solutions replayed under the game's own rules, and boards known to be lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "board/layout_text.h"
#include "board/rules.h"
#include "play/deal.h"
#include "solve/rating.h"
#include "solve/search.h"
#include "solve/solver.h"
#include "support/boards.h"

namespace {

// Every order of taking free pairs, with the rules of the game: can the board be emptied?
bool clearable_by_trying_everything(Layout &board, std::map<std::vector<unsigned char>, bool> &seen)
{
    if (board.count == 0)
        return true;
    std::vector<unsigned char> key(board.cells, board.cells + Layout::cell_count);
    auto known = seen.find(key);
    if (known != seen.end())
        return known->second;
    std::vector<int> free_cells;
    for (int i = 0; i < Layout::cell_count; i++)
        if (board.cell(i) != 0 && is_free(board, i))
            free_cells.push_back(i);
    bool result = false;
    for (size_t a = 0; a < free_cells.size() && !result; a++)
        for (size_t b = a + 1; b < free_cells.size() && !result; b++) {
            int i = free_cells[a], j = free_cells[b];
            int v = board.cell(i);
            if (board.cell(j) != v)
                continue;
            board.set_cell(i, 0);
            board.set_cell(j, 0);
            result = clearable_by_trying_everything(board, seen);
            board.set_cell(i, v);
            board.set_cell(j, v);
        }
    seen[key] = result;
    return result;
}

bool free_on(const Layout &board, int cell)
{
    return is_free(board, cell);
}

// Takes the solver's pairs one by one, each checked against the game's rules.
::testing::AssertionResult replays_to_empty(Layout board, const Solution &solution)
{
    int step = 0;
    for (auto [a, b] : solution.pairs) {
        step++;
        if (a == b || board.cell(a) == 0 || board.cell(a) != board.cell(b))
            return ::testing::AssertionFailure() << "pair " << step << " is not a matching pair";
        if (!free_on(board, a) || !free_on(board, b))
            return ::testing::AssertionFailure() << "pair " << step << " is not free";
        board.set_cell(a, 0);
        board.set_cell(b, 0);
    }
    if (board.count != 0)
        return ::testing::AssertionFailure() << board.count << " pieces left after the pairs";
    return ::testing::AssertionSuccess();
}

// A random shape: up to `pieces` pieces in `rows` rows of the `width` columns from `from`,
// stacked up to `height` high, every piece resting on the one below.
Layout random_shape(int pieces, int from, int width, int rows, int height)
{
    Layout b;
    b.clear();
    while (b.count < pieces) {
        int x = from + std::rand() % width, y = std::rand() % rows;
        int z = 0;
        while (z < height && b.get(x, y, z) != 0)
            z++;
        if (z < height)
            b.set(x, y, z, 1);
    }
    return b;
}

// Every "stuck" must be a board no order of moves clears, every "cleared" replay to empty.
// Small shapes: 4 to 14 pieces of 1 to 3 values in two rows from the left edge, three high.
// Shapes nearer to a real board's: 8 to 22 pieces in three rows of a stretch of columns that
// may touch either edge, four high, most with four pieces a value as the game's deals have,
// some with two or six. Each sample must hold both kinds, and boards that needed a search.
TEST(Solver, AgreesWithTryingEveryMoveOnRandomShapes)
{
    const struct {
        const char *what;
        unsigned seeds;
        bool board_like;
        int cleared, stuck, searched;  // fewer than these in the sample and it proves little
    } samples[] = {{"small shapes", 400, false, 40, 40, 10},
                   {"shapes like a board's", 3000, true, 1000, 200, 100}};
    for (const auto &sample : samples) {
        int cleared = 0, stuck = 0, searched = 0;
        for (unsigned seed = 1; seed <= sample.seeds; seed++) {
            std::srand(seed);
            Layout board;
            int values = 0;
            if (!sample.board_like) {
                const int width = 3 + std::rand() % 4;
                board = random_shape(2 * (2 + std::rand() % 6), 0, width, 2, 3);
                values = 1 + std::rand() % 3;
            } else {
                const int pairs = 4 + std::rand() % 8;
                const int per_value = std::rand() % 4 == 0 ? 2 * (1 + std::rand() % 3) : 4;
                const int width = 3 + std::rand() % 6;
                const int from = std::rand() % (Layout::columns - width + 1);
                board = random_shape(2 * pairs, from, width, 3, 4);
                values = std::max(1, 2 * pairs / per_value);
            }
            const std::string where = std::string(sample.what) + ", seed " +
                                      std::to_string(seed) + "\n" + layout_to_text(board);
            Deal dealt;
            ASSERT_TRUE(deal(board, values, dealt)) << where;
            Layout copy = board;
            std::map<std::vector<unsigned char>, bool> seen;
            const bool expected = clearable_by_trying_everything(copy, seen);
            const Solution solution = solve_board(board);
            ASSERT_NE(solution.result, SolveResult::unknown) << where;
            ASSERT_EQ(solution.result == SolveResult::cleared, expected)
                << to_string(solution.result) << ", " << where;
            if (expected)
                ASSERT_TRUE(replays_to_empty(board, solution)) << where;
            else
                EXPECT_TRUE(solution.pairs.empty()) << where;
            cleared += expected;
            stuck += !expected;
            searched += solution.nodes > 0;
        }
        EXPECT_GT(cleared, sample.cleared) << sample.what;
        EXPECT_GT(stuck, sample.stuck) << sample.what;
        EXPECT_GT(searched, sample.searched) << sample.what;
    }
}

// Every deal the game could make of a small shape, not a sample: each arrangement of the
// dealt values over the pieces, solved and checked against trying every move.
void check_every_deal(const Layout &shape, std::vector<unsigned char> values)
{
    std::vector<int> cells;
    for (int i = 0; i < Layout::cell_count; i++)
        if (shape.cell(i) != 0)
            cells.push_back(i);
    ASSERT_EQ(cells.size(), values.size());
    std::sort(values.begin(), values.end());
    int deals = 0, cleared = 0;
    do {
        Layout board = shape;
        for (size_t k = 0; k < cells.size(); k++)
            board.set_cell(cells[k], values[k]);
        Layout copy = board;
        std::map<std::vector<unsigned char>, bool> seen;
        bool expected = clearable_by_trying_everything(copy, seen);
        Solution solution = solve_board(board);
        ASSERT_NE(solution.result, SolveResult::unknown) << layout_to_text(board);
        ASSERT_EQ(solution.result == SolveResult::cleared, expected) << layout_to_text(board);
        if (expected) {
            ASSERT_TRUE(replays_to_empty(board, solution)) << layout_to_text(board);
        }
        deals++;
        cleared += expected;
    } while (std::next_permutation(values.begin(), values.end()));
    // Both outcomes must occur, or the comparison proves little.
    std::printf("%d deals, %d of them clearable\n", deals, cleared);
    EXPECT_GT(cleared, 0);
    EXPECT_LT(cleared, deals);
}

TEST(Solver, AgreesWithTryingEveryMoveOnEveryDealOfSmallShapes)
{
    // Twelve pieces: a row of six with a row of four and a stack of two on it, two symbols
    // six times each (924 deals).
    const char *floor12[7] = {"............", "............", "..oooooo....", "............",
                              "............", "............", "............"};
    const char *upper12[7] = {"............", "............", "...oooo.....", "............",
                              "............", "............", "............"};
    const char *top12[7] = {"............", "............", "....oo......", "............",
                            "............", "............", "............"};
    Layout twelve = board_from_text(layer_text(0, floor12) + layer_text(1, upper12) +
                                    layer_text(2, top12));
    ASSERT_EQ(twelve.count, 12);
    check_every_deal(twelve, {1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 2, 2});

    // Ten pieces in two rows with a bridge, three symbols as dealing gives them for five
    // pairs: 1, 2, 3, 1, 2 (3150 deals).
    const char *floor10[7] = {"............", "ooooo.......", "ooo.........", "............",
                              "............", "............", "............"};
    const char *upper10[7] = {"............", ".oo.........", "............", "............",
                              "............", "............", "............"};
    Layout ten = board_from_text(layer_text(0, floor10) + layer_text(1, upper10));
    ASSERT_EQ(ten.count, 10);
    check_every_deal(ten, {1, 1, 1, 1, 2, 2, 2, 2, 3, 3});
}

TEST(Solver, ClearsABoardWithNothingToChooseAndGivesItsPairs)
{
    const char *rows[7] = {"[1][2][2][1]........", "............", "............", "............",
                           "............", "............", "............"};
    Layout board = board_from_text(layer_text(0, rows));
    Solution solution = solve_board(board);
    EXPECT_EQ(solution.result, SolveResult::cleared);
    EXPECT_EQ(solution.pairs.size(), 2u);
    EXPECT_TRUE(replays_to_empty(board, solution));
}

TEST(Solver, EmptyBoardIsClearedAtOnce)
{
    Layout board;
    board.clear();
    Solution solution = solve_board(board);
    EXPECT_EQ(solution.result, SolveResult::cleared);
    EXPECT_TRUE(solution.pairs.empty());
}

TEST(Solver, KnownLostBoardsAreStuck)
{
    // A pair stacked on itself: the lower piece is never free while the upper one remains.
    const char *stacked[7] = {"....o.......", "............", "............", "............",
                              "............", "............", "............"};
    Layout on_itself = board_from_text(layer_text(0, stacked) + layer_text(1, stacked));
    // Two pairs each covering the other: 1 lies on 2 in one stack, 2 on 1 in the other.
    const char *bottom[7] = {"..[2]...[1].....", "............", "............", "............",
                             "............", "............", "............"};
    const char *top[7] = {"..[1]...[2].....", "............", "............", "............",
                          "............", "............", "............"};
    Layout crossed = board_from_text(layer_text(0, bottom) + layer_text(1, top));
    // Three stacks whose pairs must each go before the next: 1 before 2, 2 before 3, 3 before 1.
    const char *ring_bottom[7] = {"[2].[3].[1].......", "............", "............",
                                  "............", "............", "............", "............"};
    const char *ring_top[7] = {"[1].[2].[3].......", "............", "............",
                               "............", "............", "............", "............"};
    Layout ring = board_from_text(layer_text(0, ring_bottom) + layer_text(1, ring_top));
    // A run 1 2 1 2 away from the edges: its two ends never match.
    const char *run[7] = {"...[1][2][1][2].....", "............", "............", "............",
                          "............", "............", "............"};
    Layout alternating = board_from_text(layer_text(0, run));
    // An odd number of one symbol can never be paired off.
    const char *odd[7] = {"o.o.o.......", "............", "............", "............",
                          "............", "............", "............"};
    Layout three = board_from_text(layer_text(0, odd));

    for (const Layout &board : {on_itself, crossed, ring, alternating, three}) {
        Solution solution = solve_board(board);
        EXPECT_EQ(solution.result, SolveResult::stuck) << "\n" << layout_to_text(board);
        EXPECT_TRUE(solution.pairs.empty());
    }
}

TEST(Solver, NodeLimitGivesUnknownWhenTheSearchMustBranch)
{
    int branching = 0;
    for (unsigned seed = 1; seed <= 200 && branching < 5; seed++) {
        std::srand(seed);
        Layout board = random_shape(16, 0, 6, 2, 3);
        Deal dealt;
        deal(board, 2, dealt);
        if (solve_board(board).nodes == 0)
            continue;
        branching++;
        Solution cut = solve_board(board, 0);
        EXPECT_EQ(cut.result, SolveResult::unknown) << "seed " << seed << "\n" << layout_to_text(board);
        EXPECT_TRUE(cut.pairs.empty());
    }
    EXPECT_EQ(branching, 5) << "too few boards needed a search";
}

// Layout 0's deal 398 cannot be cleared because of a few values alone: the search proper,
// seeing every value at once, does not show it within 5000 positions, the small-core proof
// does at once.
TEST(Solver, ProvesADealLostFromASmallStuckCore)
{
    const Layout board = shipped_deal(0, 398);
    EXPECT_EQ(solving::Search(board, 5000, -1).run().result, SolveResult::unknown);
    const Solution cores_first = solving::Search(board, 5000, 0).run();
    EXPECT_EQ(cores_first.result, SolveResult::stuck);
    EXPECT_LT(cores_first.nodes, 1000);
    EXPECT_EQ(solve_board(board, 5000).result, SolveResult::stuck);
}

// No search goes past its limit: not the search proper, nor the small values' own searches
// that start after 1000 positions, nor a search cancelled from the start.
TEST(Solver, SearchesNoMorePositionsThanItsLimit)
{
    const std::vector<Layout> boards = {shipped_deal(0, 398), shipped_deal(0, 971),
                                        shipped_deal(1, 737), shipped_deal(1, 3)};
    for (size_t i = 0; i < boards.size(); i++)
        for (long limit : {0L, 1L, 2L, 50L, 999L, 1000L, 1001L, 1002L, 1100L, 1500L, 3000L}) {
            const Solution solution = solve_board(boards[i], limit);
            EXPECT_LE(solution.nodes, limit) << "board " << i;
            if (solution.result == SolveResult::unknown) {
                EXPECT_EQ(solution.nodes, limit) << "board " << i << ": gave up early";
            }
        }
    const std::atomic<bool> cancelled{true};
    const Solution stopped = solve_board(boards[1], 20000, &cancelled);
    EXPECT_EQ(stopped.result, SolveResult::unknown);
    EXPECT_EQ(stopped.nodes, 0);
}

}  // namespace
