// Fuzz target: the reader of kept games on bytes of any kind. What must hold for every input:
// nothing but a game that can have been played is taken; a refusal says why and leaves the
// game it was given as it was; a game taken writes back as exactly the bytes it was read from
// (a file of version 1 as the same game of version 2, with no time played).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "board/rules.h"
#include "play/kept_game.h"

namespace {

[[noreturn]] void broken(const char *what)
{
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

constexpr int symbols = 36;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    KeptGame game;
    game.taken_count = 77;  // a mark that a refusal must leave alone
    std::string why;
    if (!parse_kept_game(data, size, symbols, game, why)) {
        if (why.empty())
            broken("a refusal that does not say why");
        if (game.taken_count != 77 || !game.pairs.empty() || game.dealt.count != 0)
            broken("a refusal changed the game it was given");
        return 0;
    }
    std::vector<unsigned char> read(data, data + size);
    if (read[4] == 1) {
        read[4] = kept_file::version;
        read.insert(read.begin() + 7, kept_file::time_size, 0);
    }
    if (kept_game_bytes(game) != read)
        broken("a game taken does not write back as the bytes it was read from");
    if (game.taken_count > game.pairs.size() || game.dealt.count == 0)
        broken("an impossible game was taken");
    // Every pair free and matching at its turn, every piece a symbol of the strip.
    Layout board = game.dealt;
    for (const TakenPair &p : game.pairs)
        if (board.cell(p.a) != p.symbol || !take_pair(board, p.a, p.b))
            broken("a pair taken was not free and matching at its turn");
    for (int i = 0; i < Layout::cell_count; i++)
        if (game.dealt.cell(i) > symbols)
            broken("a symbol beyond the strip was taken");
    return 0;
}
