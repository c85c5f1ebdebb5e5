// Board drawing on a stand-in 640 x 480 display: where pieces and symbols land, the order in
// which layers, veils and the selection frame are painted, and the depths without veils.
#include <gtest/gtest.h>

#include <utility>

#include "app/resources.h"
#include "board/layout.h"
#include "render/board_drawing.h"
#include "render/translucent.h"
#include "support/headless.h"

namespace {

constexpr int ox = 20, oy = 117;  // the board origin in the 640 x 480 mode

class BoardDrawingTest : public ::testing::Test {
protected:
    void SetUp() override { layout.clear(); }
    void TearDown() override { layout.clear(); }

    // One frame as the game composes it: the background, then the board.
    static void draw(int top_layer, int shading_step, int selected = -1)
    {
        blit(resources.background_image, resources.buffer, 0, 0, 0, 0, 640, 480);
        draw_board(resources.buffer, ox, oy, top_layer, shading_step, selected);
    }
    static Rgb at(int x, int y) { return rgb_at(resources.buffer, x, y); }
    static Rgb stored(int colour) { return rgb_of(colour, bitmap_color_depth(screen)); }
    static Rgb background() { return stored(FakeResources::background_colour()); }
    static Rgb face() { return stored(FakeResources::face_colour()); }
    static Rgb symbol(int s) { return stored(FakeResources::symbol_colour(s)); }
    static Rgb outer_frame() { return stored(makecol(0, 200, 0)); }
    static Rgb inner_frame() { return stored(makecol(0, 150, 0)); }

    static int pixels_of(Rgb colour)
    {
        int n = 0;
        for (int y = 0; y < 480; y++)
            for (int x = 0; x < 640; x++)
                n += at(x, y) == colour;
        return n;
    }
};

// The stand-in face covers (0, 0) to (45, 30) of its cell; a stand-in symbol covers (2, 2) to
// (24, 24) of its 27 x 27 square.
TEST_F(BoardDrawingTest, PiecesAndSymbolsLandAtTheirCellCorners)
{
    FakeDisplay display;
    FakeResources res;
    layout.set(0, 0, 0, 1);
    layout.set(11, 6, 0, 2);
    layout.set(0, 0, 5, 3);
    draw(0, 70);

    // Cell (0, 0, 0): corner (20, 117), symbol 1 at (30, 121).
    EXPECT_EQ(at(20, 117), face());
    EXPECT_EQ(at(19, 117), background());
    EXPECT_EQ(at(20, 116), background());
    EXPECT_EQ(at(31, 122), face());
    EXPECT_EQ(at(32, 123), symbol(1));
    EXPECT_EQ(at(54, 145), symbol(1));
    EXPECT_EQ(at(55, 146), face());

    // Cell (11, 6, 0): corner (570, 327), symbol 2 taken from x = 27 of the strip.
    EXPECT_EQ(at(570, 327), face());
    EXPECT_EQ(at(615, 357), face());
    EXPECT_EQ(at(616, 357), background());
    EXPECT_EQ(at(569, 327), background());
    EXPECT_EQ(at(582, 333), symbol(2));

    // Cell (0, 0, 5): corner (-30, 82), cut off at the left edge.
    EXPECT_EQ(at(0, 82), face());
    EXPECT_EQ(at(15, 112), face());
    EXPECT_EQ(at(16, 82), background());
    EXPECT_EQ(at(0, 81), background());
    EXPECT_EQ(at(4, 88), symbol(3));  // the symbol starts at (-20, 86)
    EXPECT_EQ(at(5, 88), face());
}

TEST_F(BoardDrawingTest, HigherLayersPaintOverLowerOnes)
{
    FakeDisplay display;
    FakeResources res;
    layout.set(1, 0, 1, 4);  // corner (60, 110), symbol pixels (72..94, 116..138)
    layout.set(1, 0, 0, 5);  // corner (70, 117), symbol pixels (82..104, 123..145)
    draw(2, 60);  // the lower layer lies under the veil before layer 1
    EXPECT_EQ(at(85, 130), symbol(4));
    EXPECT_EQ(at(95, 130), face());  // the upper face, unveiled, over the lower symbol
    EXPECT_NE(at(110, 145), face());  // the lower face where nothing covers it: veiled
}

TEST_F(BoardDrawingTest, SelectionFrameIsTwoToneWithAGapAtRightAndBottom)
{
    FakeDisplay display;
    FakeResources res;
    layout.set(5, 3, 0, 7);
    const int px = ox + 5 * 50, py = oy + 3 * 35;
    draw(0, 70, Layout::index(5, 3, 0));

    EXPECT_EQ(at(px, py), outer_frame());
    EXPECT_EQ(at(px + 50, py + 35), outer_frame());
    EXPECT_EQ(at(px + 50, py + 10), outer_frame());
    EXPECT_EQ(at(px + 1, py + 1), inner_frame());
    EXPECT_EQ(at(px + 48, py + 33), inner_frame());
    EXPECT_EQ(at(px + 49, py + 10), background());  // neither frame, outside the face
    EXPECT_EQ(at(px + 10, py + 34), background());
    EXPECT_EQ(at(px + 2, py + 2), face());
}

TEST_F(BoardDrawingTest, NoFrameForNoSelectionOrAnEmptySelectedCell)
{
    FakeDisplay display;
    FakeResources res;
    layout.set(5, 3, 0, 7);
    for (int selected : {-1, Layout::index(6, 3, 0), Layout::index(5, 3, 1)}) {
        draw(0, 70, selected);
        EXPECT_EQ(pixels_of(outer_frame()), 0) << "selected " << selected;
        EXPECT_EQ(pixels_of(inner_frame()), 0) << "selected " << selected;
        EXPECT_EQ(at(ox + 250, oy + 105), face()) << "selected " << selected;
    }
}

TEST_F(BoardDrawingTest, PiecesPaintedLaterCoverTheFrame)
{
    FakeDisplay display;
    FakeResources res;
    layout.set(5, 3, 0, 7);
    layout.set(6, 3, 0, 8);  // right neighbour: its face starts on the outer frame's right edge
    layout.set(5, 3, 1, 9);  // above: its face covers the frame's top-left corner
    const int px = ox + 5 * 50, py = oy + 3 * 35;
    draw(1, 0, Layout::index(5, 3, 0));  // step 0: no veils, so colours stay exact

    EXPECT_EQ(at(px + 50, py + 10), face()) << "right neighbour over the frame";
    EXPECT_EQ(at(px + 1, py + 1), face()) << "upper piece over the frame";
    EXPECT_EQ(at(px + 50, py + 35), outer_frame()) << "corner covered by nothing";

    // The hint's frame and the cursor's brackets are drawn with their piece in the same way.
    for (const bool cursor : {false, true}) {
        SCOPED_TRACE(cursor ? "cursor" : "hint");
        BoardMarks marks;
        (cursor ? marks.cursor : marks.hinted.emplace_back()) = Layout::index(5, 3, 0);
        blit(resources.background_image, resources.buffer, 0, 0, 0, 0, 640, 480);
        draw_board(resources.buffer, ox, oy, 1, 0, -1, marks);
        const int out = cursor ? 3 : 2;  // a pixel inside the frame's band, outside the cell
        EXPECT_EQ(at(px - out, py - out), face()) << "upper piece over the frame";
        EXPECT_EQ(at(px + 49 + out, py + 10), face()) << "right neighbour over the frame";
        EXPECT_NE(at(px + 49 + out, py + 34 + out), background()) << "corner covered by nothing";
        EXPECT_NE(at(px + 49 + out, py + 34 + out), face());
    }
}

// The veils, checked against the fill laid by hand in the same order: with top layer 5 and
// step 20, factors 100, 80, 60, 40 and 20 before layers 0 to 4, nothing before layer 5.
TEST_F(BoardDrawingTest, VeilsDarkenEachLayerOncePerLayerAbove)
{
    for (int depth : {15, 16, 32}) {
        FakeDisplay display(depth);
        FakeResources res;
        layout.set(5, 3, 2, 1);
        layout.set(5, 3, 5, 2);
        const int selected = Layout::index(5, 3, 2);
        draw(5, 20, selected);

        BITMAP *expected = create_bitmap(640, 480);
        blit(resources.background_image, expected, 0, 0, 0, 0, 640, 480);
        const int blue = makecol(0, 0, 128);
        const int factors[] = {100, 80, 60, 40, 20};
        for (int z = 0; z < 5; z++) {
            fill_rect_translucent(expected, 0, 0, 640, 480, blue, factors[z]);
            if (z == 2) {
                const int px = ox + 250 - 20, py = oy + 105 - 14;
                draw_sprite(expected, resources.piece_image, px, py);
                masked_blit(resources.symbol_strip, expected, 0, 0, px + 10, py + 4, 27, 27);
                rect(expected, px, py, px + 50, py + 35, makecol(0, 200, 0));
                rect(expected, px + 1, py + 1, px + 48, py + 33, makecol(0, 150, 0));
            }
        }
        const int px = ox + 250 - 50, py = oy + 105 - 35;
        draw_sprite(expected, resources.piece_image, px, py);
        masked_blit(resources.symbol_strip, expected, 27, 0, px + 10, py + 4, 27, 27);

        EXPECT_TRUE(same_pixels(resources.buffer, expected)) << "depth " << depth;
        EXPECT_NE(at(0, 0), background()) << "depth " << depth;
        EXPECT_EQ(at(px, py), face()) << "top layer veiled, depth " << depth;
        destroy_bitmap(expected);
        layout.clear();
    }
}

TEST_F(BoardDrawingTest, EmptyBoardIsStillVeiled)
{
    FakeDisplay display;
    FakeResources res;
    draw(2, 50);
    BITMAP *expected = create_bitmap(640, 480);
    blit(resources.background_image, expected, 0, 0, 0, 0, 640, 480);
    fill_rect_translucent(expected, 0, 0, 640, 480, makecol(0, 0, 128), 100);
    fill_rect_translucent(expected, 0, 0, 640, 480, makecol(0, 0, 128), 50);
    EXPECT_TRUE(same_pixels(resources.buffer, expected));
    destroy_bitmap(expected);
}

TEST_F(BoardDrawingTest, NoVeilWithTopLayer0OrAt24Bits)
{
    for (auto [depth, top] : {std::pair{16, 0}, std::pair{32, 0}, std::pair{24, 5}}) {
        FakeDisplay display(depth);
        FakeResources res;
        layout.set(5, 3, 0, 1);
        draw(top, 20);
        EXPECT_EQ(at(0, 0), background()) << "depth " << depth << ", top layer " << top;
        EXPECT_EQ(at(ox + 250, oy + 105), face()) << "depth " << depth << ", top layer " << top;
        EXPECT_EQ(at(ox + 262, oy + 111), symbol(1)) << "depth " << depth;
        layout.clear();
    }
}

}  // namespace
