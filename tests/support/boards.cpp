#include "support/boards.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "board/layout_text.h"
#include "board/rules.h"

Layout board_from_text(const std::string &text)
{
    Layout board;
    board.clear();
    std::string error;
    bool parsed = layout_from_text(text, board, error);
    EXPECT_TRUE(parsed) << error << "\n" << text;
    if (!parsed)
        board.clear();
    return board;
}

std::string layer_text(int z, const char *const rows[7])
{
    std::string text = "layer " + std::to_string(z) + "\n";
    for (int y = 0; y < 7; y++)
        text += std::string(rows[y]) + "\n";
    return text;
}

Layout board_of(std::initializer_list<std::array<int, 4>> pieces)
{
    Layout board;
    board.clear();
    for (const auto &[x, y, z, value] : pieces)
        board.set(x, y, z, value);
    return board;
}

int top_layer_of(const Layout &board)
{
    int top = 0;
    for (int i = 0; i < Layout::cell_count; i++)
        if (board.cell(i) != 0)
            top = std::max(top, Layout::position(i).z);
    return top;
}

::testing::AssertionResult same_board(const Layout &actual, const Layout &expected)
{
    if (std::memcmp(actual.cells, expected.cells, sizeof actual.cells) == 0 &&
        actual.count == expected.count)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "board (count " << actual.count << "):\n" << layout_to_text(actual)
           << "expected (count " << expected.count << "):\n" << layout_to_text(expected);
}

void PrintTo(const Layout &board, std::ostream *os) { *os << "\n" << layout_to_text(board); }

geometry::Point cell_middle(geometry::Point origin, int x, int y, int z)
{
    const geometry::Point c = geometry::cell_corner(origin, x, y, z);
    return {c.x + geometry::cell_width / 2, c.y + geometry::cell_height / 2};
}

geometry::Point point_on(const Layout &board, geometry::Point origin, int cell)
{
    const CellPosition p = Layout::position(cell);
    const geometry::Point corner = geometry::cell_corner(origin, p.x, p.y, p.z);
    const int mid_x = geometry::cell_width / 2, mid_y = geometry::cell_height / 2;
    geometry::Point best{-1, -1};
    int best_distance = 0;
    for (int dy = 0; dy < geometry::cell_height; dy++)
        for (int dx = 0; dx < geometry::cell_width; dx++) {
            if (piece_at(board, origin, corner.x + dx, corner.y + dy) != cell)
                continue;
            const int d = (dx - mid_x) * (dx - mid_x) + (dy - mid_y) * (dy - mid_y);
            if (best.x == -1 || d < best_distance) {
                best_distance = d;
                best = {corner.x + dx, corner.y + dy};
            }
        }
    return best;
}

bool clickable_pair(const Layout &board, geometry::Point origin, int &a, int &b)
{
    auto clickable = [&](int cell) {
        return is_free(board, cell) && point_on(board, origin, cell).x != -1;
    };
    for (a = 0; a < Layout::cell_count; a++) {
        if (!clickable(a))
            continue;
        for (b = a + 1; b < Layout::cell_count; b++)
            if (board.cell(b) == board.cell(a) && clickable(b))
                return true;
    }
    return false;
}

std::vector<CursorMove> cursor_moves_between(const Layout &board, int from, int to)
{
    const CursorMove moves[] = {CursorMove::left, CursorMove::right, CursorMove::up,
                                CursorMove::down};
    std::map<int, std::pair<int, CursorMove>> came_from = {{from, {-1, CursorMove::left}}};
    std::vector<int> todo = {from};
    for (size_t i = 0; i < todo.size() && !came_from.count(to); i++)
        for (CursorMove move : moves) {
            const int next = cursor_step(board, todo[i], move);
            if (came_from.emplace(next, std::make_pair(todo[i], move)).second)
                todo.push_back(next);
        }
    std::vector<CursorMove> path;
    if (!came_from.count(to))
        return path;
    for (int at = to; at != from; at = came_from[at].first)
        path.insert(path.begin(), came_from[at].second);
    return path;
}
