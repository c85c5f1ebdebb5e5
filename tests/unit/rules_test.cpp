// Which pieces are free, which piece is under the pointer, and whether a move is left.
#include <gtest/gtest.h>

#include "board/layout_text.h"
#include "board/rules.h"
#include "play/game.h"
#include "support/boards.h"
#include "support/headless.h"

namespace {

// Board with the given layer-0 rows and nothing above.
Layout layer0(const char *const rows[7]) { return board_from_text(layer_text(0, rows)); }

const geometry::Point origin640 = geometry::board_origin(640, 480);

TEST(FreePieces, SideNeighboursInTheRowDecide)
{
    const char *rows[7] = {"............", "....o.......", "...ooo......", "......oo....",
                           "............", "............", "............"};
    Layout b = layer0(rows);
    EXPECT_TRUE(is_free(b, 4, 1, 0)) << "a lone piece" << ::testing::PrintToString(b);
    EXPECT_TRUE(is_free(b, 3, 2, 0)) << "empty on its left";
    EXPECT_FALSE(is_free(b, 4, 2, 0)) << "pieces on both sides" << ::testing::PrintToString(b);
    EXPECT_TRUE(is_free(b, 5, 2, 0)) << "empty on its right";
    EXPECT_TRUE(is_free(b, 6, 3, 0));
    EXPECT_TRUE(is_free(b, 7, 3, 0));
    EXPECT_FALSE(is_free(b, 0, 0, 0)) << "an empty cell is never free";
}

TEST(FreePieces, RowsAboveAndBelowNeverBlock)
{
    const char *rows[7] = {"oooooooooooo", "oooooooooooo", "ooooo.oooooo", "oooooooooooo",
                           "oooooooooooo", "............", "............"};
    Layout b = layer0(rows);
    EXPECT_TRUE(is_free(b, 4, 2, 0)) << ::testing::PrintToString(b);
    EXPECT_FALSE(is_free(b, 5, 1, 0)) << "the gap below does not free it";
    EXPECT_FALSE(is_free(b, 5, 3, 0)) << "the gap above does not free it";
}

TEST(FreePieces, EdgeColumnsAreFreeUnlessCovered)
{
    const char *full[7] = {"oooooooooooo", "oooooooooooo", "oooooooooooo", "oooooooooooo",
                           "oooooooooooo", "oooooooooooo", "oooooooooooo"};
    const char *cover[7] = {"o...........", "...........o", "............", "............",
                            "............", "............", "............"};
    Layout b = board_from_text(layer_text(0, full) + layer_text(1, cover));
    EXPECT_FALSE(is_free(b, 0, 0, 0)) << "covered from above" << ::testing::PrintToString(b);
    EXPECT_FALSE(is_free(b, 11, 1, 0)) << "covered from above";
    for (int y = 2; y < 7; y++) {
        EXPECT_TRUE(is_free(b, 0, y, 0)) << "left edge row " << y;
        EXPECT_TRUE(is_free(b, 11, y, 0)) << "right edge row " << y;
        EXPECT_FALSE(is_free(b, 5, y, 0));
    }
    EXPECT_TRUE(is_free(b, 0, 0, 1));
}

TEST(FreePieces, OnlyTheCellDirectlyAboveCovers)
{
    Layout b;
    b.clear();
    for (int z = 0; z < 6; z++)
        b.set(5, 3, z, 1);
    b.set(6, 3, 5, 1);  // diagonal neighbour on the layer above the lowest pieces
    for (int z = 0; z < 5; z++)
        EXPECT_FALSE(is_free(b, 5, 3, z)) << "layer " << z << ::testing::PrintToString(b);
    EXPECT_TRUE(is_free(b, 5, 3, 5)) << "nothing can lie on layer 5";
    b.set(5, 3, 5, 0);
    EXPECT_TRUE(is_free(b, 5, 3, 4)) << "with layer 5 gone the piece on layer 4 is free";
}

TEST(PieceUnderPointer, GeometryOfThe640By480Screen)
{
    EXPECT_EQ(origin640.x, 20);
    EXPECT_EQ(origin640.y, 117);
    EXPECT_EQ(geometry::board_origin(0, 0).x, -300);
    EXPECT_EQ(geometry::board_origin(0, 0).y, -122);

    Layout b = board_of({{0, 0, 0, 1}});
    EXPECT_EQ(piece_at(b, origin640, 20, 117), 0);
    EXPECT_EQ(piece_at(b, origin640, 69, 151), 0) << "bottom-right pixel of the cell";
    EXPECT_EQ(piece_at(b, origin640, 19, 117), -1) << "left of the grid";
    EXPECT_EQ(piece_at(b, origin640, 20, 116), -1) << "above the grid";
    EXPECT_EQ(piece_at(b, origin640, 70, 117), -1) << "the next column is empty";

    b.set(11, 6, 0, 1);
    EXPECT_EQ(piece_at(b, origin640, 619, 361), Layout::index(11, 6, 0));
    EXPECT_EQ(piece_at(b, origin640, 620, 361), -1);

    b.clear();
    b.set(0, 0, 0, 1);
    b.set(0, 0, 1, 1);
    EXPECT_EQ(piece_at(b, origin640, 10, 110), Layout::index(0, 0, 1))
        << "corner of cell (0, 0) of layer 1";
    EXPECT_EQ(piece_at(b, origin640, 9, 110), -1) << "left of layer 1, and layer 0 lies right";
}

TEST(PieceUnderPointer, PassesOverPiecesThatAreNotFree)
{
    // The point (62, 120) lies over cell (1, 0) of layers 1 to 4 and over cell (0, 0) of
    // layer 0, because of the shift of each layer.
    Layout b;
    b.clear();
    b.set(0, 0, 0, 1);  // free: at the edge, nothing on it
    b.set(1, 0, 0, 1);
    b.set(1, 0, 1, 1);  // covered by the piece above
    b.set(1, 0, 2, 1);  // blocked on both sides
    b.set(0, 0, 2, 1);
    b.set(2, 0, 2, 1);
    ASSERT_FALSE(is_free(b, 1, 0, 2));
    ASSERT_FALSE(is_free(b, 1, 0, 1));
    EXPECT_EQ(piece_at(b, origin640, 62, 120), Layout::index(0, 0, 0))
        << ::testing::PrintToString(b);

    b.set(2, 0, 2, 0);  // the layer-2 piece is free now, and it is on top
    EXPECT_EQ(piece_at(b, origin640, 62, 120), Layout::index(1, 0, 2));

    b.set(2, 0, 2, 1);
    b.set(0, 0, 0, 0);  // no free piece anywhere under the point
    EXPECT_EQ(piece_at(b, origin640, 62, 120), -1) << ::testing::PrintToString(b);
}

TEST(TakingAPair, OnlyTwoDifferentFreePiecesOfOneValue)
{
    // Row 0: 5 5 . 5 5 5 with a 7 on layer 1 over the last; row 1: 5 alone, then 6.
    Layout b = board_from_text("layer 0\n"
                               "[5][5].[5][5][5]......\n"
                               "[5]..[6]........\n"
                               "............\n............\n............\n"
                               "............\n............\n"
                               "layer 1\n"
                               ".....[7]......\n"
                               "............\n............\n............\n"
                               "............\n............\n............\n");
    const Layout before = b;
    const int edge = Layout::index(0, 0, 0), hemmed = Layout::index(4, 0, 0);
    const int covered = Layout::index(5, 0, 0), other = Layout::index(3, 1, 0);
    EXPECT_FALSE(take_pair(b, edge, edge)) << "one piece is no pair";
    EXPECT_FALSE(take_pair(b, edge, hemmed)) << "a piece with pieces on both sides";
    EXPECT_FALSE(take_pair(b, edge, covered)) << "a piece with one on it";
    EXPECT_FALSE(take_pair(b, edge, other)) << "another value";
    EXPECT_EQ(b.count, before.count);
    EXPECT_TRUE(take_pair(b, edge, Layout::index(0, 1, 0)));
    EXPECT_EQ(b.count, before.count - 2);
    EXPECT_EQ(b.cell(edge), 0);
    EXPECT_EQ(b.cell(Layout::index(0, 1, 0)), 0);
}

TEST(MovesLeft, OnlyFreePiecesOfEqualValueMakeAMove)
{
    Layout empty;
    empty.clear();
    EXPECT_TRUE(no_moves_left(empty)) << "an empty board has none";
    EXPECT_EQ(piece_at(empty, origin640, 100, 200), -1);

    // Row 3 of layer 0: [5] [5] [7] [5]. Ends are free: 5 and 5 -> a move.
    const char *rows[7] = {"............", "............", "............",
                           "[5]o[7][5]........", "............", "............",
                           "............"};
    Layout b = layer0(rows);
    ASSERT_EQ(b.count, 4);
    EXPECT_FALSE(no_moves_left(b)) << ::testing::PrintToString(b);

    b.set(3, 3, 0, 9);  // ends now 5 and 9; inner pieces blocked
    EXPECT_TRUE(no_moves_left(b)) << ::testing::PrintToString(b);

    // Two equal free pieces far apart, everything else blocked: still a move.
    const char *wide[7] = {"[4]oooooooooo[4]", "oooooooooooo", "............", "............",
                           "............", "............", "............"};
    Layout w = layer0(wide);
    w.set(0, 1, 0, 2);
    w.set(11, 1, 0, 3);
    EXPECT_FALSE(no_moves_left(w)) << ::testing::PrintToString(w);
    w.set(11, 0, 0, 6);
    EXPECT_TRUE(no_moves_left(w)) << ::testing::PrintToString(w);
}

TEST(MovesLeft, GlobalBoardFunctionsReadTheGlobalLayoutAndTheScreenOfTheCurrentMode)
{
    FakeDisplay display;
    layout.clear();
    layout.set(0, 0, 0, 3);
    EXPECT_EQ(piece_at(20, 117), 0);
    EXPECT_EQ(piece_at(19, 117), -1);
    layout.set(11, 0, 0, 3);
    EXPECT_TRUE(is_free(0, 0, 0));
    EXPECT_FALSE(no_moves_left());
    layout.set(11, 0, 0, 4);
    EXPECT_TRUE(no_moves_left());
    layout.clear();
}

}  // namespace
