// Moving the pieces of a shape one at a time (a mirrored pair at a time in a mirrored shape),
// under the rules of building: the steps with which shapes are both made to look right and
// mended. Shared by the parts of the layout generator, not offered beyond it.
#pragma once

#include <cstdint>
#include <vector>

#include "board/editing.h"
#include "board/layout.h"

namespace shape_search {

constexpr int columns = Layout::columns, rows = Layout::rows, layers = Layout::layers;
constexpr int layer_cells = columns * rows;

inline int x_of(int i) { return Layout::position(i).x; }
inline int y_of(int i) { return Layout::position(i).y; }
inline int z_of(int i) { return Layout::position(i).z; }
// The search's own random numbers (rand() belongs to dealing, which reseeds it per deal).
class Dice {
public:
    explicit Dice(std::uint64_t seed) : state_(seed * 0x9e3779b97f4a7c15ull + 0x632be59bd9b4e019ull)
    {
    }
    std::uint64_t next()
    {
        // splitmix64: good enough spread, the same on every machine
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    int below(int n) { return n > 0 ? static_cast<int>(next() % static_cast<unsigned>(n)) : 0; }
    double unit() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }

private:
    std::uint64_t state_;
};

// The cell that mirrors cell i: column x and column 11 - x, same row and layer.
inline int twin(int i) { return mirror_cell(i); }

// A piece that can be lifted off without leaving another resting on nothing.
inline bool liftable(const Layout &shape, int i) { return can_lift(shape, i); }

// An empty cell a piece may be put in, within the first `used_layers` layers.
inline bool placeable(const Layout &shape, int i, int used_layers)
{
    return z_of(i) < used_layers && can_place(shape, i);
}

// One piece from `from` to `to`; in a mirrored shape, its twin goes along on the other side.
struct Move {
    int from = -1, to = -1;
};

// The rules a search keeps while it moves pieces.
struct MoveRules {
    int used_layers = layers;
    bool mirror = false;
};
// Cells a move may start from (lift) or a piece may be put in, in the left half only when
// the twins follow.
std::vector<int> cells_where(const Layout &shape, const MoveRules &rules, bool lift);

// Lifts the piece (and its twin); then puts it down at `to` when that is allowed there.
bool apply_move(Layout &shape, const Move &move, const MoveRules &rules);

// A move of a random piece to a random cell; false when none could be made.
bool random_move(Layout &shape, const MoveRules &rules, Dice &dice);

}  // namespace shape_search
