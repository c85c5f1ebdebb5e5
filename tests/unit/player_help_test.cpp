// The player's help in the model: the history of pairs taken, the hint and the keyboard
// cursor's moves, on small boards made by hand and on deals of the shipped layouts.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <future>
#include <set>
#include <utility>
#include <string>
#include <thread>
#include <vector>

#include "board/layout_text.h"
#include "board/rules.h"
#include "play/hint.h"
#include "play/history.h"
#include "play/keyboard_cursor.h"
#include "solve/rating.h"
#include "solve/solver.h"
#include "support/boards.h"

// Deal k of shipped layout n, as the rating deals it (declared in support/boards.h).
Layout shipped_deal(int n, int k)
{
    Layout shape;
    shape.clear();
    const std::string path = std::string(TILESTACK_GAMEDATA) + "/" + std::to_string(n) + ".lyt";
    EXPECT_TRUE(shape.load(path.c_str())) << path;
    Layout board;
    EXPECT_TRUE(deal_for_rating(shape, RatingOptions(), k, board));
    return board;
}

namespace {

// Two stacks that cover each other's partner (1 on 2, 2 on 1) and a free pair of 3s: a pair
// can be taken, but the board can never be cleared.
Layout lost_board()
{
    const char *bottom[7] = {"..[2]...[1].....", "............", "............",
                             "[3]..........[3]", "............", "............", "............"};
    const char *top[7] = {"..[1]...[2].....", "............", "............", "............",
                          "............", "............", "............"};
    return board_from_text(layer_text(0, bottom) + layer_text(1, top));
}

TEST(History, UndoesToTheDealRedoesInOrderAndForgetsRedoAfterANewPair)
{
    const Layout dealt = shipped_deal(0, 3);
    Layout board = dealt;
    History history;
    EXPECT_FALSE(history.undo(board)) << "nothing taken yet";
    std::vector<Layout> after;                // the board after each pair
    std::vector<std::pair<int, int>> taken;  // and the pair
    for (int move = 0; move < 5; move++) {
        int a, b;
        ASSERT_TRUE(first_free_pair(board, a, b));
        taken.emplace_back(a, b);
        const int symbol = board.cell(a);
        ASSERT_TRUE(take_pair(board, a, b));
        history.record(a, b, symbol);
        after.push_back(board);
    }
    for (int move = 4; move >= 0; move--) {
        ASSERT_TRUE(history.undo(board));
        EXPECT_TRUE(same_board(board, move == 0 ? dealt : after[move - 1])) << "undo " << move;
    }
    EXPECT_FALSE(history.undo(board)) << "back at the deal";
    EXPECT_TRUE(same_board(board, dealt));
    for (int move = 0; move < 3; move++) {
        ASSERT_TRUE(history.redo(board));
        EXPECT_TRUE(same_board(board, after[move])) << "redo " << move;
    }

    // Another pair from here (any but the one redo would take): the two pairs still undone
    // cannot come back.
    int a = -1, b = -1;
    const std::vector<int> free_now = free_pieces(board);
    for (int i : free_now)
        for (int j : free_now)
            if (a == -1 && i < j && board.cell(i) == board.cell(j) &&
                std::make_pair(i, j) != taken[3]) {
                a = i;
                b = j;
            }
    ASSERT_NE(a, -1) << "a pair other than the one redo would take";
    const int symbol = board.cell(a);
    ASSERT_TRUE(take_pair(board, a, b));
    history.record(a, b, symbol);
    EXPECT_FALSE(history.can_redo());
    EXPECT_FALSE(history.redo(board));
    EXPECT_EQ(history.taken_count(), 4u);
    ASSERT_TRUE(history.undo(board));
    EXPECT_TRUE(same_board(board, after[2]));
}

TEST(Hint, OnClearableDealsFramesTheFirstPairOfAWayToClear)
{
    int ways = 0;
    for (int n = 0; n < 3; n++)
        for (int k = 0; k < 3; k++) {
            Layout board = shipped_deal(n, k);
            // Along the first-pair player's game too, where boards get lost.
            for (int move = 0; move < 40; move += 20) {
                const Hint hint = find_hint(board, 200000);
                const Solution exact = solve_board(board, 200000);
                SCOPED_TRACE("layout " + std::to_string(n) + " deal " + std::to_string(k) +
                             " move " + std::to_string(move) + "\n" + layout_to_text(board));
                if (exact.result == SolveResult::cleared) {
                    EXPECT_EQ(hint.kind, HintKind::way);
                    ASSERT_TRUE(is_pair(board, hint.a, hint.b));
                    Layout next = board;
                    take_pair(next, hint.a, hint.b);
                    EXPECT_EQ(solve_board(next, 200000).result, SolveResult::cleared)
                        << "the rest can still be cleared";
                    ways++;
                } else if (exact.result == SolveResult::stuck) {
                    EXPECT_EQ(hint.kind, no_moves_left(board) ? HintKind::none : HintKind::no_way);
                }
                for (int step = 0; step < 20; step++) {
                    int a, b;
                    if (first_free_pair(board, a, b))
                        take_pair(board, a, b);
                }
            }
        }
    EXPECT_GT(ways, 4);
}

TEST(Hint, SaysSoWhenTheBoardIsLostOrTheBudgetTooSmall)
{
    const Layout lost = lost_board();
    ASSERT_FALSE(no_moves_left(lost));
    Hint hint = find_hint(lost);
    EXPECT_EQ(hint.kind, HintKind::no_way);
    EXPECT_TRUE(is_pair(lost, hint.a, hint.b)) << "a pair that matches all the same";

    // A deal that needs a search, asked with no budget at all.
    int tried = 0;
    for (int k = 0; k < 20 && tried == 0; k++) {
        const Layout board = shipped_deal(1, k);
        if (solve_board(board, 200000).nodes == 0)
            continue;
        tried++;
        hint = find_hint(board, 0);
        EXPECT_EQ(hint.kind, HintKind::unknown) << layout_to_text(board);
        EXPECT_TRUE(is_pair(board, hint.a, hint.b));
    }
    EXPECT_EQ(tried, 1);

    Layout blocked = lost;
    blocked.set(0, 3, 0, 0);
    blocked.set(11, 3, 0, 0);
    EXPECT_EQ(find_hint(blocked).kind, HintKind::none);
    EXPECT_EQ(find_hint(blocked).a, -1);
}

// Every free piece reached from the first by the four moves, and every move lands on a free
// piece (or stays).
void expect_every_free_piece_reachable(const Layout &board)
{
    const std::vector<int> free = free_pieces(board);
    const int start = first_free_piece(board);
    if (free.empty()) {
        EXPECT_EQ(start, -1);
        return;
    }
    std::set<int> reached = {start};
    std::vector<int> todo = {start};
    while (!todo.empty()) {
        const int cell = todo.back();
        todo.pop_back();
        for (CursorMove m : {CursorMove::left, CursorMove::right, CursorMove::up, CursorMove::down}) {
            const int next = cursor_step(board, cell, m);
            ASSERT_TRUE(is_free(board, next)) << "from " << cell;
            if (reached.insert(next).second)
                todo.push_back(next);
        }
    }
    EXPECT_EQ(reached.size(), free.size()) << layout_to_text(board);
}

TEST(KeyboardCursor, ReachesEveryFreePieceOnDealsAndAlongGames)
{
    for (int n = 0; n < 3; n++)
        for (int k = 0; k < 5; k++) {
            Layout board = shipped_deal(n, k);
            int a, b;
            do {
                SCOPED_TRACE("layout " + std::to_string(n) + " deal " + std::to_string(k));
                expect_every_free_piece_reachable(board);
            } while (first_free_pair(board, a, b) && take_pair(board, a, b));
        }
}

TEST(KeyboardCursor, MovesAlongTheRowAndToTheNearestRowWithAFreePiece)
{
    // Row 1: free pieces at columns 0 and 6 of layer 0, and a stack at column 3 whose top
    // (layer 1, drawn 10 pixels left) is free. Row 5: pieces at columns 2 and 9.
    const char *bottom[7] = {"............", "o..o..o.....", "............", "............",
                             "............", "..o......o..", "............"};
    const char *upper[7] = {"............", "...o........", "............", "............",
                            "............", "............", "............"};
    const Layout board = board_from_text(layer_text(0, bottom) + layer_text(1, upper));
    const int left = Layout::index(0, 1, 0), top = Layout::index(3, 1, 1),
              right = Layout::index(6, 1, 0);
    EXPECT_EQ(first_free_piece(board), left);
    EXPECT_EQ(cursor_step(board, left, CursorMove::right), top) << "the covered piece is passed";
    EXPECT_EQ(cursor_step(board, top, CursorMove::right), right);
    EXPECT_EQ(cursor_step(board, right, CursorMove::right), right) << "the row's end stays";
    EXPECT_EQ(cursor_step(board, right, CursorMove::left), top);
    EXPECT_EQ(cursor_step(board, left, CursorMove::up), left) << "no free piece above";
    // Rows 2 to 4 are empty: Down goes on to row 5, to the piece drawn closest across.
    EXPECT_EQ(cursor_step(board, right, CursorMove::down), Layout::index(9, 5, 0));
    EXPECT_EQ(cursor_step(board, top, CursorMove::down), Layout::index(2, 5, 0));
    EXPECT_EQ(cursor_step(board, Layout::index(9, 5, 0), CursorMove::up), right);

    // A cell whose piece has gone: the nearest free piece takes the cursor.
    EXPECT_EQ(nearest_free_piece(board, Layout::index(5, 1, 0)), right);
    EXPECT_EQ(nearest_free_piece(board, top), top);
    Layout empty;
    empty.clear();
    EXPECT_EQ(nearest_free_piece(empty, top), -1);
}

// The looker as the game's pass drives it, its searches run by hand: a pair found before the
// board changed goes as surely as one still looked for, and a search started before another
// never answers for the later one.
TEST(HintLooker, AFoundPairNeverOutlivesABoardChange)
{
    const Layout lost = lost_board();
    const char *pairs[7] = {"[1].[1].[2].[2].....", "............", "............", "............",
                            "............", "............", "............"};
    const Layout clearable = board_from_text(layer_text(0, pairs));
    std::vector<std::function<void()>> works;
    const BackgroundJob::Runner by_hand = [&](std::function<void()> work) {
        works.push_back(work);
    };
    HintLooker looker;
    Hint found;
    looker.start(lost, by_hand);
    works.back()();
    looker.cancel();
    EXPECT_FALSE(looker.looking());
    EXPECT_FALSE(looker.take(found)) << "a pair found before the board changed";
    looker.start(lost, by_hand);
    looker.cancel();
    works.back()();
    EXPECT_FALSE(looker.take(found)) << "a search cancelled before its end";

    looker.start(lost, by_hand);
    looker.start(clearable, by_hand);
    works[works.size() - 2]();
    EXPECT_TRUE(looker.looking());
    EXPECT_FALSE(looker.take(found)) << "the earlier search's end";
    works.back()();
    ASSERT_TRUE(looker.take(found));
    const Hint same_search = find_hint(clearable, hint_look_further_budget);
    EXPECT_EQ(found.kind, HintKind::way);
    EXPECT_EQ(std::make_pair(found.a, found.b), std::make_pair(same_search.a, same_search.b));
    EXPECT_FALSE(looker.take(found)) << "taken once";
    EXPECT_FALSE(looker.looking());
}

// The hint's further search on its own thread, as the game runs it, each step waiting for
// what it needs rather than racing the search: one held until the board changes is dropped,
// one taken when it ends gives the pair the same search gives, and one left running goes with
// its looker. (The thread build runs this to watch what
// the threads share.)
TEST(HintLookerThread, FindsOnItsOwnThreadAndCancelsCleanly)
{
    const Layout board = shipped_deal(0, 5);
    const Hint same_search = find_hint(board, hint_look_further_budget);
    HintLooker looker;
    Hint found;
    std::promise<void> gate;
    std::thread held;
    looker.start(board, [&](std::function<void()> work) {
        held = std::thread([work, opened = gate.get_future()] {
            opened.wait();
            work();
        });
    });
    looker.cancel();
    EXPECT_FALSE(looker.looking());
    gate.set_value();
    held.join();
    EXPECT_FALSE(looker.take(found)) << "a search cancelled before its end";

    looker.start(board);
    while (!looker.take(found))
        std::this_thread::yield();  // the search ends on its own: no clock is read
    EXPECT_EQ(found.kind, same_search.kind);
    EXPECT_EQ(std::make_pair(found.a, found.b), std::make_pair(same_search.a, same_search.b));
    HintLooker left_running;
    left_running.start(board);
}

}  // namespace
