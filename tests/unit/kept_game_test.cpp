// The kept game: its file written and read back, every kind of bad file refused, and the
// game brought back from it, with Home, End and the card of keys.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "app/resources.h"
#include "board/rules.h"
#include "play/game.h"
#include "play/hint.h"
#include "play/kept_game.h"
#include "render/legacy_text.h"
#include "support/boards.h"
#include "support/files.h"
#include "support/headless.h"

namespace {

// Two layers: a row of 1, 2, 3, 3, 2, 1 with a 4 on layer 1 over the first 3, and the other 4
// alone. Taking the first pair each time takes the 1s, the 2s, then the 4s.
const char *const ground[7] = {"............", "[1][2][3][3][2][1]......", "............",
                               "[4]...........", "............", "............", "............"};
const char *const upper[7] = {"............", "..[4].........", "............",
                              "............", "............", "............", "............"};

Layout dealt_board() { return board_from_text(layer_text(0, ground) + layer_text(1, upper)); }

// A game on that board with three pairs taken, the last of them put back again.
KeptGame played_game()
{
    KeptGame game;
    game.dealt = dealt_board();
    game.top_layer = 1;
    game.shading_step = shading_step_for(1);
    Layout board = game.dealt;
    History history;
    int a, b;
    for (int i = 0; i < 3 && first_free_pair(board, a, b); i++) {
        const int symbol = board.cell(a);
        take_pair(board, a, b);
        history.taken(a, b, symbol);
    }
    history.undo(board);
    game.pairs = history.pairs();
    game.done = history.taken_count();
    return game;
}

constexpr int symbols = 36;

void expect_same_game(const KeptGame &got, const KeptGame &want)
{
    EXPECT_TRUE(same_board(got.dealt, want.dealt));
    ASSERT_EQ(got.pairs.size(), want.pairs.size());
    for (std::size_t i = 0; i < got.pairs.size(); i++) {
        EXPECT_EQ(got.pairs[i].a, want.pairs[i].a);
        EXPECT_EQ(got.pairs[i].b, want.pairs[i].b);
        EXPECT_EQ(got.pairs[i].symbol, want.pairs[i].symbol);
    }
    EXPECT_EQ(got.done, want.done);
    EXPECT_EQ(got.top_layer, want.top_layer);
    EXPECT_EQ(got.shading_step, want.shading_step);
}

TEST(KeptGame, WrittenAndReadBackWhole)
{
    const KeptGame game = played_game();
    ASSERT_EQ(game.pairs.size(), 3u);
    ASSERT_EQ(game.done, 2u);
    TempDir dir;
    const std::string path = dir.path(last_game_file);
    ASSERT_TRUE(save_kept_game(path.c_str(), game));
    EXPECT_EQ(read_file(path).size(), kept_file::header_size + 3 * kept_file::pair_size);
    KeptGame back;
    std::string why;
    ASSERT_EQ(load_kept_game(path.c_str(), symbols, back, why), KeptFile::read) << why;
    expect_same_game(back, game);

    // Through the run's last game: nothing there at first, then the game kept and written.
    LastGame missing(dir.path("none.sav"));
    EXPECT_FALSE(missing.known());
    EXPECT_FALSE(missing.bring_back(symbols));
    LastGame last(path);
    EXPECT_TRUE(last.known());
    ASSERT_TRUE(last.bring_back(symbols));
    expect_same_game(last.game(), game);

    // A folder that cannot be written costs a line, never the game kept in memory.
    LastGame unwritable(dir.path("no-such-folder/lastgame.sav"));
    ::testing::internal::CaptureStderr();
    unwritable.keep(game);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("no-such-folder/lastgame.sav"), std::string::npos) << said;
    EXPECT_TRUE(unwritable.bring_back(symbols));
}

// Every kind of file that is not a kept game: refused with one line naming the file, the
// file left as it is.
TEST(KeptGame, EveryKindOfBadFileIsRefusedAndLeftAsItIs)
{
    const std::vector<unsigned char> good = kept_game_bytes(played_game());
    auto changed = [&](auto change) {
        std::vector<unsigned char> bytes = good;
        change(bytes);
        return bytes;
    };
    const std::size_t cells = 7, pairs = kept_file::header_size;
    std::vector<unsigned char> random(700);
    std::srand(31);
    for (unsigned char &c : random)
        c = static_cast<unsigned char>(std::rand());
    struct Case {
        const char *what;
        std::vector<unsigned char> bytes;  // ignored for the folder and the pipe
        const char *why;                   // part of the line said
    };
    const std::vector<Case> cases = {
        {"empty", {}, "cut short"},
        {"cut in the header", changed([](auto &b) { b.resize(300); }), "cut short"},
        {"cut by one byte", changed([](auto &b) { b.pop_back(); }), "cut short"},
        {"one byte too long", changed([](auto &b) { b.push_back(0); }), "too long"},
        {"another version", changed([](auto &b) { b[4] = 2; }), "another version"},
        {"random bytes", random, "not a kept game"},
        {"a symbol beyond the strip", changed([&](auto &b) { b[cells + 12] = symbols + 1; }),
         "symbol"},
        {"a piece resting on nothing",
         changed([&](auto &b) { b[cells + Layout::index(5, 5, 1)] = 4; }), "rests on nothing"},
        {"shading of another board", changed([](auto &b) { b[6] = 10; }), "shading"},
        {"a pair that was not free", changed([&](auto &b) {
             b[pairs] = static_cast<unsigned char>(Layout::index(2, 1, 0));  // under the 4
             b[pairs + 2] = static_cast<unsigned char>(Layout::index(3, 1, 0));
         }),
         "not free and matching"},
        {"a pair that does not match", changed([&](auto &b) {
             b[pairs + 2] = static_cast<unsigned char>(Layout::index(0, 3, 0));  // a free 4
         }),
         "not free and matching"},
        {"a pair off the board", changed([&](auto &b) { b[pairs + 1] = 9; }), "off the board"},
        {"more pairs taken than there are", changed([&](auto &b) { b[pairs - 2] = 4; }),
         "impossible"},
        {"a folder", {}, "not a regular file"},
        {"a pipe", {}, "not a regular file"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir.path(last_game_file);
        if (std::string(c.what) == "a folder")
            ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
        else if (std::string(c.what) == "a pipe")
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

class KeptGameScreen : public ::testing::Test {
protected:
    FakeDisplay display;
    FakeResources res;

    void SetUp() override
    {
        input::reset();
        LEGACY_TEXT(text_mode(-1));
    }
    void TearDown() override
    {
        input::reset();
        layout.clear();
    }

    static void tap(Game &game, int scancode, bool control = false)
    {
        if (control)
            input::key_down(KEY_LCONTROL);
        input::key_down(scancode);
        game.pass();
        input::key_up(scancode);
        input::key_up(KEY_LCONTROL);
        for (int i = 0; i < 3; i++)
            game.pass();
    }
};

// The game comes back with its last pair put back; Ctrl+Y takes it again, Home puts every
// pair back, End takes them all again, and the game kept then is the one played.
TEST_F(KeptGameScreen, BroughtBackWithItsLastPairPutBackThenHomeAndEnd)
{
    const KeptGame kept = played_game();
    Game game(kept);
    EXPECT_TRUE(same_board(layout, kept.board_after(1)));
    game.pass();
    EXPECT_EQ(game.selected_cell, -1);
    tap(game, KEY_Y, true);
    EXPECT_TRUE(same_board(layout, kept.board_after(2)));
    tap(game, KEY_HOME);
    EXPECT_TRUE(same_board(layout, kept.dealt));
    tap(game, KEY_END);
    EXPECT_TRUE(same_board(layout, kept.board_after(3)));
    EXPECT_EQ(game.result, 0);
    tap(game, KEY_BACKSPACE);
    expect_same_game(game.kept(), kept);

    KeptGame none = kept;
    none.done = 0;
    Game as_dealt(none);
    EXPECT_TRUE(same_board(layout, kept.dealt)) << "no pair taken: as dealt";
}

// F2 lays the card over the frame; while it is shown clicks and keys do nothing; Escape
// closes it, gives back the very pixels, and does not also end the game.
TEST_F(KeptGameScreen, TheCardOfKeysTakesEveryPassUntilClosed)
{
    Game game(played_game());
    game.pass();
    game.pass();
    BITMAP *frame = create_bitmap(640, 480);
    blit(screen, frame, 0, 0, 0, 0, 640, 480);
    input::key_down(KEY_F2);
    game.pass();
    input::key_up(KEY_F2);
    game.pass();
    EXPECT_FALSE(same_pixels(screen, frame)) << "the card is shown";
    const Layout before = layout;
    tap(game, KEY_Z, true);
    tap(game, KEY_F1);
    EXPECT_TRUE(same_board(layout, before));
    EXPECT_EQ(game.result, 0);
    tap(game, KEY_ESC);
    EXPECT_TRUE(same_pixels(screen, frame)) << "the frame as it was";
    EXPECT_EQ(game.result, 0) << "the Escape that closed the card does not end the game";
    tap(game, KEY_ESC);
    EXPECT_EQ(game.result, play_left);
    destroy_bitmap(frame);
}

}  // namespace
