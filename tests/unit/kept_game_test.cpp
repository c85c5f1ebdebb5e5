// The kept game: its file written and read back, and every kind of bad file refused.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <utility>
#include <vector>

#include "play/deal.h"
#include "play/kept_game.h"
#include "support/boards.h"
#include "support/files.h"

namespace {

// A row of 1, 2, 3, 3, 2, 1 with a 4 on layer 1 over the first 3, and the other 4 alone; the
// 1s, the 2s and the 4s taken, the 4s put back.
const char *const ground[7] = {"............", "[1][2][3][3][2][1]......", "............",
                               "[4]...........", "............", "............", "............"};
const char *const upper[7] = {"............", "..[4].........", "............",
                              "............", "............", "............", "............"};
constexpr int symbols = 36;

KeptGame played_game()
{
    KeptGame game;
    game.dealt = board_from_text(layer_text(0, ground) + layer_text(1, upper));
    game.pairs = {{12, 17, 1}, {13, 16, 2}, {36, 98, 4}};
    game.taken_count = 2;
    game.top_layer = 1;
    game.shading_step = shading_step_for(1);
    game.played_ms = 0x01020304;  // each byte its own, 4:30 and a bit
    return game;
}

TEST(KeptGame, WrittenAndReadBackWhole)
{
    const KeptGame game = played_game();
    TempDir dir;
    const std::string path = dir.path(last_game_file);
    ASSERT_TRUE(save_kept_game(path.c_str(), game));
    EXPECT_EQ(read_file(path).size(), kept_file::header_size + 3 * kept_file::pair_size);
    LastGame missing(dir.path("none.sav")), last(path);
    EXPECT_FALSE(missing.known());
    EXPECT_FALSE(missing.bring_back(symbols));
    EXPECT_TRUE(last.known());
    ASSERT_TRUE(last.bring_back(symbols));
    const KeptGame &back = last.game();
    EXPECT_EQ(kept_game_bytes(back), kept_game_bytes(game));
    EXPECT_EQ(back.taken_count, 2u);
    ASSERT_EQ(back.pairs.size(), 3u);
    EXPECT_EQ(back.pairs[2].symbol, 4);
    EXPECT_EQ(back.board_after(3).count, 2) << "the two 3s left";
    EXPECT_EQ(back.played_ms, game.played_ms);

    // A file of version 1, without the time, still reads: the same game, no time played.
    std::vector<unsigned char> v1 = kept_game_bytes(game);
    v1[4] = 1;
    v1.erase(v1.begin() + 7, v1.begin() + 7 + kept_file::time_size);
    KeptGame old;
    std::string why;
    ASSERT_TRUE(parse_kept_game(v1.data(), v1.size(), symbols, old, why)) << why;
    EXPECT_EQ(old.played_ms, 0);
    old.played_ms = game.played_ms;
    EXPECT_EQ(kept_game_bytes(old), kept_game_bytes(game));

    // A folder that cannot be written costs a line, never the game kept in memory.
    LastGame unwritable(dir.path("no-such-folder/lastgame.sav"));
    ::testing::internal::CaptureStderr();
    unwritable.keep(game);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("no-such-folder/lastgame.sav"), std::string::npos) << said;
    EXPECT_TRUE(unwritable.bring_back(symbols));
}

// Every kind of file that is not a kept game: refused with one line naming the file and
// saying what is wrong, no longer offered, and left as it is.
TEST(KeptGame, EveryKindOfBadFileIsRefusedAndLeftAsItIs)
{
    using Bytes = std::vector<unsigned char>;
    const Bytes good = kept_game_bytes(played_game());
    auto set = [&](std::vector<std::pair<std::size_t, int>> changes) {
        Bytes b = good;
        for (auto [at, value] : changes)
            b[at] = static_cast<unsigned char>(value);
        return b;
    };
    const std::size_t cell = 7 + kept_file::time_size, pair = kept_file::header_size;  // where cell 0 and pair 1 start
    Bytes random(700), cut = good, longer = good;
    for (std::size_t i = 0; i < random.size(); i++)
        random[i] = static_cast<unsigned char>(i * 2654435761u >> 13);
    cut.pop_back();
    longer.push_back(0);
    const struct {
        const char *what;
        Bytes bytes;      // for a folder or a pipe, none
        const char *why;  // what the line says
    } cases[] = {
        {"empty", {}, "cut short"},
        {"cut in the header", Bytes(good.begin(), good.begin() + 300), "cut short"},
        {"cut by one byte", cut, "cut short"},
        {"one byte too long", longer, "too long"},
        {"another version", set({{4, 3}}), "another version"},
        {"version 1 with a time in it", set({{4, 1}}), "too long"},
        {"random bytes", random, "not a kept game"},
        {"a symbol beyond the strip", set({{cell + 12, symbols + 1}}), "symbol"},
        {"a piece resting on nothing", set({{cell + Layout::index(5, 5, 1), 4}}), "on nothing"},
        {"shading of another board", set({{6, 10}}), "shading"},
        {"a pair not free (under the 4)", set({{pair, 14}, {pair + 2, 15}}), "not free"},
        {"a pair that does not match", set({{pair + 2, 36}}), "not free and matching"},
        {"a pair off the board", set({{pair + 1, 9}}), "off the board"},
        {"more pairs taken than recorded", set({{pair - 2, 4}}), "impossible"},
        {"a folder", {}, "not a regular file"},
        {"a pipe", {}, "not a regular file"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir.path(last_game_file), what = c.what;
        if (what == "a folder")
            ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
        else if (what == "a pipe")
            ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
        else
            write_file(path, c.bytes);
        LastGame last(path);
        EXPECT_TRUE(last.known()) << "offered until it is read";
        ::testing::internal::CaptureStderr();
        EXPECT_FALSE(last.bring_back(symbols));
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(path), std::string::npos) << said;
        EXPECT_NE(said.find(c.why), std::string::npos) << said;
        EXPECT_EQ(said.find('\n'), said.size() - 1) << "one line: " << said;
        EXPECT_FALSE(last.known()) << "no longer offered once refused";
        struct stat info;
        ASSERT_EQ(lstat(path.c_str(), &info), 0);
        if (S_ISREG(info.st_mode)) {
            EXPECT_EQ(read_file(path), c.bytes) << "the file is left as it was";
        }
    }
}

}  // namespace
