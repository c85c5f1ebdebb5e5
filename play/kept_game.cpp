#include "play/kept_game.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "board/layout_check.h"
#include "board/rules.h"
#include "platform/files.h"
#include "play/deal.h"

Layout KeptGame::board_after(std::size_t taken) const
{
    Layout board = dealt;
    for (std::size_t i = 0; i < taken && i < pairs.size(); i++) {
        board.set_cell(pairs[i].a, 0);
        board.set_cell(pairs[i].b, 0);
    }
    return board;
}

namespace {

void put16(std::vector<unsigned char> &out, std::size_t v)
{
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>(v >> 8 & 0xFF));
}

std::size_t get16(const unsigned char *at) { return at[0] | static_cast<std::size_t>(at[1]) << 8; }

// Why the dealt board cannot be one the game dealt, or nullptr when it can.
const char *board_fault(const Layout &board, int symbols)
{
    if (board.count == 0)
        return "the board holds no piece";
    for (int i = 0; i < Layout::cell_count; i++) {
        if (board.cell(i) == 0)
            continue;
        if (board.cell(i) > symbols)
            return "a piece bears a symbol the symbol picture does not have";
        const CellPosition p = Layout::position(i);
        if (!board.is_supported(p.x, p.y, p.z))
            return "a piece rests on nothing";
    }
    return nullptr;
}

}  // namespace

std::vector<unsigned char> kept_game_bytes(const KeptGame &game)
{
    std::vector<unsigned char> out(std::begin(kept_file::magic), std::end(kept_file::magic));
    out.push_back(kept_file::version);
    out.push_back(static_cast<unsigned char>(game.top_layer));
    out.push_back(static_cast<unsigned char>(game.shading_step));
    const long long ms = game.played_ms < 0 ? 0 : game.played_ms > 0xFFFFFFFFLL ? 0xFFFFFFFFLL
                                                                                 : game.played_ms;
    put16(out, static_cast<std::size_t>(ms & 0xFFFF));
    put16(out, static_cast<std::size_t>(ms >> 16 & 0xFFFF));
    out.insert(out.end(), std::begin(game.dealt.cells), std::end(game.dealt.cells));
    put16(out, game.pairs.size());
    put16(out, game.taken_count);
    for (const TakenPair &p : game.pairs) {
        put16(out, static_cast<std::size_t>(p.a));
        put16(out, static_cast<std::size_t>(p.b));
    }
    return out;
}

bool parse_kept_game(const unsigned char *bytes, std::size_t size, int symbols, KeptGame &out,
                     std::string &why)
{
    using namespace kept_file;
    if (size >= sizeof magic && std::memcmp(bytes, magic, sizeof magic) != 0) {
        why = "it is not a kept game";
        return false;
    }
    if (size < header_size_v1) {
        why = "it is cut short";
        return false;
    }
    if (bytes[4] != version && bytes[4] != 1) {
        why = "it is of another version (" + std::to_string(bytes[4]) + ", not 1 or " +
              std::to_string(version) + ")";
        return false;
    }
    // Version 1 has no time: the board follows the drawing values at once.
    const std::size_t time_bytes = bytes[4] == 1 ? 0 : time_size;
    const std::size_t header_size = header_size_v1 + time_bytes;
    if (size < header_size) {
        why = "it is cut short";
        return false;
    }
    KeptGame game;
    game.top_layer = bytes[5];
    game.shading_step = bytes[6];
    if (time_bytes)
        game.played_ms = static_cast<long long>(get16(bytes + 7) | get16(bytes + 9) << 16);
    game.dealt.clear();
    for (int i = 0; i < Layout::cell_count; i++)
        game.dealt.set_cell(i, bytes[7 + time_bytes + i]);
    const std::size_t count = get16(bytes + header_size - 4);
    game.taken_count = get16(bytes + header_size - 2);
    if (count > max_pairs || game.taken_count > count) {
        why = "its count of pairs is impossible";
        return false;
    }
    if (size != header_size + count * pair_size) {
        why = size < header_size + count * pair_size ? "it is cut short" : "it is too long";
        return false;
    }
    if (const char *fault = board_fault(game.dealt, symbols)) {
        why = fault;
        return false;
    }
    if (game.top_layer != top_layer(game.dealt) ||
        game.shading_step != shading_step_for(game.top_layer)) {
        why = "its shading does not belong to its board";
        return false;
    }
    // Every pair, those put back too, must have been free and matching at its turn.
    Layout board = game.dealt;
    for (std::size_t i = 0; i < count; i++) {
        const unsigned char *at = bytes + header_size + i * pair_size;
        const std::size_t a = get16(at), b = get16(at + 2);
        if (a >= Layout::cell_count || b >= Layout::cell_count) {
            why = "a pair lies off the board";
            return false;
        }
        const int symbol = board.cell(static_cast<int>(a));
        if (!take_pair(board, static_cast<int>(a), static_cast<int>(b))) {
            why = "pair " + std::to_string(i + 1) + " was not free and matching at its turn";
            return false;
        }
        game.pairs.push_back({static_cast<int>(a), static_cast<int>(b), symbol});
    }
    out = std::move(game);
    return true;
}

KeptFile load_kept_game(const char *path, int symbols, KeptGame &out, std::string &why)
{
    std::FILE *file = open_regular_file(path);
    if (!file) {
        const FileFacts facts = file_facts(path);
        if (!facts.exists && errno == ENOENT)
            return KeptFile::missing;
        why = facts.exists ? not_a_regular_file : std::strerror(errno);
        return KeptFile::refused;
    }
    // One byte more than the largest good file tells a file that is too long.
    std::vector<unsigned char> bytes(kept_file::max_size + 1);
    const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) {
        why = "it cannot be read";
        return KeptFile::refused;
    }
    return parse_kept_game(bytes.data(), got, symbols, out, why) ? KeptFile::read
                                                                  : KeptFile::refused;
}

bool save_kept_game(const char *path, const KeptGame &game, std::string *why)
{
    const std::vector<unsigned char> bytes = kept_game_bytes(game);
    return replace_file(path, bytes.data(), bytes.size(), why);
}

bool LastGame::known() const
{
    if (kept_)
        return true;
    return !file_read_ && file_facts(path_.c_str()).exists;
}

bool LastGame::bring_back(int symbols)
{
    if (kept_ || file_read_)
        return kept_;
    file_read_ = true;
    std::string why;
    switch (load_kept_game(path_.c_str(), symbols, game_, why)) {
    case KeptFile::read:
        kept_ = true;
        break;
    case KeptFile::missing:
        break;
    case KeptFile::refused:
        std::fprintf(stderr, "tilestack: the last game in %s cannot be brought back: %s.\n",
                     path_.c_str(), why.c_str());
        break;
    }
    return kept_;
}

void LastGame::keep(const KeptGame &game)
{
    game_ = game;
    kept_ = true;
    file_read_ = true;
    std::string why;
    if (!save_kept_game(path_.c_str(), game_, &why))
        std::fprintf(stderr, "tilestack: could not keep the last game in %s: %s.\n",
                     path_.c_str(), why.c_str());
}
