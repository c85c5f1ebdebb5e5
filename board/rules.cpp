#include "board/rules.h"

bool is_free(const Layout &board, int x, int y, int z)
{
    if (board.get(x, y, z) == 0)
        return false;
    if (z < Layout::layers - 1 && board.get(x, y, z + 1) != 0)
        return false;
    if (x == 0 || x == Layout::columns - 1)
        return true;
    return board.get(x - 1, y, z) == 0 || board.get(x + 1, y, z) == 0;
}

bool is_free(const Layout &board, int cell)
{
    const CellPosition c = Layout::position(cell);
    return is_free(board, c.x, c.y, c.z);
}

int piece_at(const Layout &board, geometry::Point origin, int mx, int my)
{
    for (int z = Layout::layers - 1; z >= 0; z--) {
        geometry::Point c = geometry::cell_under(origin, mx, my, z);
        if (geometry::inside_grid(c) && is_free(board, c.x, c.y, z))
            return Layout::index(c.x, c.y, z);
    }
    return -1;
}

bool is_pair(const Layout &board, int a, int b)
{
    return a != b && is_free(board, a) && is_free(board, b) && board.cell(a) == board.cell(b);
}

bool take_pair(Layout &board, int a, int b)
{
    if (!is_pair(board, a, b))
        return false;
    board.set_cell(a, 0);
    board.set_cell(b, 0);
    return true;
}

bool first_matching_pair(const Layout &board, const std::vector<int> &free_cells, int &a, int &b)
{
    for (std::size_t i = 0; i < free_cells.size(); i++)
        for (std::size_t j = i + 1; j < free_cells.size(); j++)
            if (board.cell(free_cells[i]) == board.cell(free_cells[j])) {
                a = free_cells[i];
                b = free_cells[j];
                return true;
            }
    return false;
}

bool no_moves_left(const Layout &board)
{
    bool seen[256] = {};  // values of the free pieces met so far
    for (int z = 0; z < Layout::layers; z++)
        for (int y = 0; y < Layout::rows; y++)
            for (int x = 0; x < Layout::columns; x++) {
                if (!is_free(board, x, y, z))
                    continue;
                int v = board.get(x, y, z);
                if (seen[v])
                    return false;
                seen[v] = true;
            }
    return true;
}

bool is_free(int x, int y, int z) { return is_free(layout, x, y, z); }

bool no_moves_left() { return no_moves_left(layout); }
