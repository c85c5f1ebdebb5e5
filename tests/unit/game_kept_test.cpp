// A kept game brought back into a game: its last pair put back, no more, the rest of its
// history ready to be taken again.
#include "game_fixture.h"

#include "play/kept_game.h"

TEST_F(GameTest, AKeptGameComesBackWithItsLastPairPutBackAndNoOther)
{
    KeptGame kept;
    kept.dealt = board_from_text(layer0(two_pairs));  // the 1s, the 2s, then the 3s taken
    kept.pairs = {{12, 18, 1}, {15, 21, 2}, {38, 40, 3}};
    for (std::size_t taken : {0u, 1u, 2u, 3u}) {
        SCOPED_TRACE("pairs taken when it was kept: " + std::to_string(taken));
        kept.taken_count = taken;
        const std::size_t back = taken > 0 ? taken - 1 : 0;  // as dealt when none was taken
        Game game(kept);
        EXPECT_EQ(layout.count, kept.dealt.count - 2 * static_cast<int>(back));
        EXPECT_TRUE(std::memcmp(layout.cells, kept.board_after(back).cells, sizeof layout.cells) == 0);
        EXPECT_EQ(game.history.taken_count(), back);
        EXPECT_EQ(game.kept().taken_count, back);
        EXPECT_EQ(game.kept().pairs.size(), kept.pairs.size()) << "every pair still there to redo";
        // Taking the pair put back again gives the board as it was kept.
        if (taken > 0) {
            ASSERT_TRUE(game.history.redo(layout));
            EXPECT_TRUE(std::memcmp(layout.cells, kept.board_after(taken).cells, sizeof layout.cells) == 0);
        }
    }
}
