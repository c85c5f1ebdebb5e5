// The last game played, kept so that the player can go back to it after it ended: the board
// as dealt, the pairs taken in order (with those put back that could be taken again) and what
// drawing needs. It is kept over quitting in a small file of its own (docs/kept-game.md).
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "board/layout.h"
#include "play/history.h"

struct KeptGame {
    Layout dealt;                  // every piece with the symbol it was dealt
    std::vector<TakenPair> pairs;  // every pair taken, in order; those from `taken_count` on
                                   // were put back
    std::size_t taken_count = 0;   // pairs taken and not put back
    int top_layer = 0;             // highest layer holding a piece at the deal
    int shading_step = 0;          // veil strength per layer below the top one
    long long played_ms = 0;       // the game's time so far (0 from a file of version 1)
    bool helped = false;           // a hint, a pair put back or a way back from the title
                                   // (not in the file: a game brought back is helped anyway)

    // The board after the first `taken` pairs (at most `pairs.size()`) were taken.
    Layout board_after(std::size_t taken) const;
};

// The file format: a magic word, a version, the drawing values, the game's time (from version
// 2), the dealt board, then the pairs. Numbers are low byte first; each pair is two cell indexes.
namespace kept_file {
constexpr unsigned char magic[4] = {'T', 'S', 'L', 'G'};
constexpr int version = 2;
constexpr std::size_t time_size = 4;  // milliseconds, from version 2
constexpr std::size_t header_size_v1 = 4 + 1 + 1 + 1 + Layout::cell_count + 2 + 2;  // 515
constexpr std::size_t header_size = header_size_v1 + time_size;                    // 519
constexpr std::size_t pair_size = 4;
constexpr std::size_t max_pairs = Layout::cell_count / 2;
constexpr std::size_t max_size = header_size + max_pairs * pair_size;
}  // namespace kept_file

// The bytes of a kept game's file.
std::vector<unsigned char> kept_game_bytes(const KeptGame &game);

// Reads a kept game from the bytes of its file, checking that it is a game that can have
// been played with a strip of `symbols` symbols: every piece a symbol of the strip resting on
// the bottom layer or on another piece, the drawing values those of the deal, and every pair
// free and matching at its turn. On any fault gives false with `why` saying what is wrong,
// and `out` as it was.
bool parse_kept_game(const unsigned char *bytes, std::size_t size, int symbols, KeptGame &out,
                     std::string &why);

// What reading a kept game's file found.
enum class KeptFile {
    read,     // a good kept game
    missing,  // no file of that name: no game was kept
    refused,  // something is there that is not a kept game; `why` says what
};

// Reads the file `path` through parse_kept_game. Anything but a regular file (a folder, a
// pipe) is refused without waiting on it, and no more than one byte past the largest good
// file is read.
KeptFile load_kept_game(const char *path, int symbols, KeptGame &out, std::string &why);

// Writes the kept game as the file `path` the safe way layouts are saved (replace_file);
// `why`, when given, says what failed.
bool save_kept_game(const char *path, const KeptGame &game, std::string *why = nullptr);

// The file the game keeps its last game in, in the working folder.
constexpr const char *last_game_file = "lastgame.sav";

// The last game of a run: kept in memory from the moment a game ends, written to its file each
// time, and read from that file (once) when the player first asks for it.
class LastGame {
public:
    explicit LastGame(std::string path = last_game_file) : path_(std::move(path)) {}

    // A game is kept, or a file that may hold one has not been read yet.
    bool known() const;
    // Makes the kept game ready in game(): true when there is one. The first call reads the
    // file; a file that is not a good kept game costs a line on standard error naming it and
    // is left as it is.
    bool bring_back(int symbols);
    KeptGame &game() { return game_; }
    // Keeps a game that has just ended and writes it to the file; a write that fails costs a
    // line on standard error, never the game kept in memory.
    void keep(const KeptGame &game);

private:
    std::string path_;
    KeptGame game_;
    bool kept_ = false;       // game_ holds a game
    bool file_read_ = false;  // the file has been tried (or a game replaced it)
};
