#include "play/deal.h"

#include <cstdlib>
#include <utility>

int shading_step_for(int top_layer)
{
    int step = 10;
    for (int layer = 6; layer > top_layer; layer--)
        step += 10;
    return step;
}

namespace {

// The deal, with its random numbers drawn from `draw`.
template <typename Draw>
bool deal_drawing(Layout &board, int symbols, Deal &result, Draw draw)
{
    const int count = board.count;
    if (count == 0)
        return false;
    if (symbols < 1)
        symbols = 1;

    // Starts zeroed, so that with an odd count the piece left without a partner bears symbol 1.
    std::vector<unsigned char> &pairs = result.pair_list;
    pairs.assign(count, 0);
    for (int i = 0; i < count / 2; i++)
        pairs[2 * i] = pairs[2 * i + 1] = static_cast<unsigned char>(i % symbols);

    for (int swap = 0; swap < 10000; swap++) {
        int a = draw() % count;
        int b = draw() % count;
        std::swap(pairs[a], pairs[b]);
    }

    result.top_layer = 0;
    int k = 0;
    for (int i = 0; i < Layout::cell_count; i++) {
        if (board.cell(i) != 0 && k < count) {
            board.set_cell(i, pairs[k] + 1);
            result.top_layer = Layout::position(i).z;
            k++;
        }
    }
    result.shading_step = shading_step_for(result.top_layer);
    return true;
}

}  // namespace

bool deal(Layout &board, int symbols, Deal &result)
{
    return deal_drawing(board, symbols, result, [] { return std::rand(); });
}

bool deal(Layout &board, int symbols, Deal &result, RandSequence &draws)
{
    return deal_drawing(board, symbols, result, [&draws] { return draws.next(); });
}
