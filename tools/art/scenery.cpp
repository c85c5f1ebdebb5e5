// The two full-screen pictures. The play field is a quiet circuit board: the game lays up to
// four dark-blue veils over it, so it keeps its pattern faint and its colours mid-dark. The
// title picture puts the game's name in the style of the pieces above a dark band for the
// menu, and a small stack of pieces below it.
#include <cmath>
#include <cstdint>

#include "art/art.h"
#include "art/font.h"

namespace art {

namespace {

// A small fixed random sequence, so that the pictures come out the same on every build.
class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed) {}
    std::uint32_t next()
    {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<std::uint32_t>(n)); }

private:
    std::uint32_t state_;
};

// Copper traces on a grid: each runs straight, turns by 45 degrees now and then, ends in a
// round pad, and never crosses another.
void traces(Canvas &c, Random &random, int count, const Paint &copper, const Paint &hole, double opacity)
{
    const int step = 16;
    const int cols = c.width() / step + 1, rows = c.height() / step + 1;
    std::vector<bool> used(static_cast<size_t>(cols) * rows, false);
    const int dx[8] = {1, 1, 0, -1, -1, -1, 0, 1}, dy[8] = {0, 1, 1, 1, 0, -1, -1, -1};
    for (int t = 0; t < count; t++) {
        int i = random.below(cols), j = random.below(rows);
        if (used[j * cols + i])
            continue;
        int dir = random.below(4) * 2;  // start straight across or down
        std::vector<double> path = {i * step + 0.5, j * step + 0.5};
        used[j * cols + i] = true;
        int length = 0;
        for (int segment = 0; segment < 4; segment++) {
            int run = 2 + random.below(7);
            for (int k = 0; k < run; k++) {
                int ni = i + dx[dir], nj = j + dy[dir];
                if (ni < 0 || nj < 0 || ni >= cols || nj >= rows || used[nj * cols + ni])
                    break;
                i = ni;
                j = nj;
                used[j * cols + i] = true;
                length++;
            }
            path.push_back(i * step + 0.5);
            path.push_back(j * step + 0.5);
            dir = (dir + (random.below(2) ? 1 : 7)) % 8;
        }
        if (length < 3)
            continue;
        c.fill(polyline(path, 1.6), copper, opacity);
        for (size_t end : {size_t{0}, path.size() - 2}) {
            c.fill(circle(path[end], path[end + 1], 4.2), copper, opacity);
            c.fill(circle(path[end], path[end + 1], 1.7), hole, opacity);
        }
    }
}

// The outline of a chip's footprint: a body and two rows of pads.
void footprint(Canvas &c, double x, double y, int pins, const Paint &copper, double opacity)
{
    const double w = pins * 12 + 8;
    c.fill(outline(box(x, y, x + w, y + 34, 3), 0.8), copper, opacity);
    for (int k = 0; k < pins; k++) {
        double px = x + 9 + 12 * k;
        c.fill(box(px - 3, y - 9, px + 3, y - 2, 1), copper, opacity);
        c.fill(box(px - 3, y + 36, px + 3, y + 43, 1), copper, opacity);
    }
}

// Lays a piece with the given symbol (1 to N) at (x, y), as the game draws it.
void place_piece(Canvas &c, const Canvas &face, int x, int y, int symbol)
{
    c.draw(face, x, y);
    c.draw(symbol_picture(symbol - 1), x + symbol_x, y + symbol_y);
}

}  // namespace

Canvas play_field()
{
    Canvas c(640, 480);
    // A board lit in the middle, a little darker towards the edges.
    const Paint board = radial_gradient(320, 250, 460, rgb(54, 112, 104), rgb(30, 72, 76));
    c.cover(board);
    const Paint copper = [board](double x, double y) { return lighter(board(x, y), 0.13); };
    Random random(20240611);
    footprint(c, 96, 404, 6, copper, 0.8);
    footprint(c, 420, 28, 8, copper, 0.8);
    traces(c, random, 150, copper, board, 0.8);
    return c;
}

Canvas title_picture(TextRenderer &text)
{
    Canvas c(640, 480);
    const Paint night = vertical_gradient(0, rgb(22, 40, 52), 480, rgb(8, 16, 24));
    c.cover(night);
    const Paint faint = [night](double x, double y) { return lighter(night(x, y), 0.07); };
    Random random(7);
    traces(c, random, 120, faint, night, 1.0);

    // The name, set like a piece: an ivory face on a tan slab and a teal base, dark-edged.
    const double size = 100;
    const double left = 320 - text.text_width("tilestack", size) / 2;
    const Shape name = text.text_shape("tilestack", size, left, 128);
    const int depth = 7;
    auto at_depth = [&](int k) { return moved(name, k * 1.0, k * 0.7); };
    for (int k = depth; k >= 0; k--)
        c.fill(grow(at_depth(k), 1.6), rgb(16, 20, 22));
    for (int k = depth; k >= 1; k--)
        c.fill(at_depth(k), k > 3 ? rgb(38, 104, 98) : rgb(196, 180, 140));
    c.fill(name, vertical_gradient(40, rgb(255, 252, 240), 130, rgb(232, 222, 192)));

    // A dark panel behind the two menu items, keeping the dim green one readable.
    c.fill(box(232, 168, 408, 234, 10), rgb(6, 12, 18), 0.75);
    c.fill(outline(box(232, 168, 408, 234, 10), 0.7), rgb(64, 124, 94), 0.6);

    // A small stack of pieces below, shaded layer by layer as the game shades its board.
    const Canvas face = piece_face();
    Canvas stack(c.width(), c.height());
    // Per layer: first column, columns, first row, rows.
    const int blocks[3][4] = {{0, 8, 0, 3}, {1, 6, 0, 3}, {2, 4, 1, 1}};
    const int symbols = static_cast<int>(symbol_list().size());
    int k = 0;
    for (int z = 0; z < 3; z++) {
        stack.tint(box(0, 0, c.width(), c.height()), rgb(0, 0, 128), (2 - z) * 40 / 256.0);
        const int *b = blocks[z];
        for (int y = b[2]; y < b[2] + b[3]; y++)
            for (int x = b[0]; x < b[0] + b[1]; x++, k++) {
                int px = 125 + 50 * x - 10 * z, py = 334 + 35 * y - 7 * z;
                place_piece(stack, face, px, py, k * 7 % symbols + 1);
            }
    }
    c.draw(stack, 0, 0);
    return c;
}

}  // namespace art
