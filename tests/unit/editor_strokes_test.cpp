// The editor's mouse strokes: placing and removing pieces layer by layer.
#include <gtest/gtest.h>

#include "unit/editor_fixture.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Strokes

TEST_F(EditorTest, HitPointsFollowTheBoardOriginAndTheLayerShift)
{
    run();
    click(19, 117);
    click(620, 117);
    click(20, 116);
    EXPECT_EQ(layout.count, 0);
    click(20, 117);
    EXPECT_EQ(layout.get(0, 0, 0), 1);
    click(619, 361);
    EXPECT_EQ(layout.get(11, 6, 0), 1);
    EXPECT_EQ(layout.count, 2);

    tap(KEY_2);
    click(9, 110);   // left of layer 1
    click(10, 109);  // above it
    EXPECT_EQ(layout.count, 2);
    click(10, 110);
    EXPECT_EQ(layout.get(0, 0, 1), 1);
    EXPECT_EQ(layout.count, 3);
}

TEST_F(EditorTest, PlacingStrokeFillsEmptyCellsItEntersAndLeavesPiecesAlone)
{
    run();
    layout.set(2, 3, 0, 1);
    layout.set(5, 3, 0, 7);  // a value only a file can hold: a placing stroke makes it 1
    input::pointer(centre(0, 3, 0).x, centre(0, 3, 0).y, 1);
    for (int x = centre(0, 3, 0).x; x <= centre(11, 3, 0).x; x += 7) {
        input::pointer(x, centre(0, 3, 0).y, 1);
        run();
    }
    input::buttons(0);
    run();
    Layout expected = board_from_text("layer 0\n............\n............\n............\n"
                                      "oooooooooooo\n............\n............\n............\n");
    EXPECT_TRUE(same_board(layout, expected));
    for (int x = 0; x < 12; x++)
        EXPECT_TRUE(face_at(x, 3, 0)) << "column " << x;
    EXPECT_TRUE(status_reads("z:        0   count:   12"));

    // Only the cell under the pointer at each pass counts: jumps skip cells.
    for (int x = 0; x < 12; x += 3) {
        input::pointer(centre(x, 5, 0).x, centre(x, 5, 0).y, 1);
        run();
    }
    input::buttons(0);
    run();
    EXPECT_EQ(layout.count, 16);
    EXPECT_EQ(layout.get(3, 5, 0), 1);
    EXPECT_EQ(layout.get(4, 5, 0), 0);
}

TEST_F(EditorTest, RemovingStrokeEmptiesPiecesItEntersAndPlacesNothing)
{
    run();
    layout = board_from_text("layer 0\n............\n............\n............\n"
                             "oooo.ooo.ooo\n............\n............\n............\n"
                             "layer 1\n............\n............\n............\n"
                             "......o.....\n............\n............\n............\n");
    for (int x = 0; x < 12; x++) {
        input::pointer(centre(x, 3, 0).x, centre(x, 3, 0).y, 1);
        run(2);
    }
    input::buttons(0);
    run();
    EXPECT_TRUE(same_board(layout, board_from_text(""))) << "the piece on layer 1 goes too";
    for (int x = 0; x < 12; x++)
        EXPECT_FALSE(face_at(x, 3, 0)) << "column " << x;
    EXPECT_TRUE(status_reads("z:        0   count:    0"));
}

TEST_F(EditorTest, HeldStillOrMovedWithinACellAStrokeActsOnce)
{
    run();
    input::pointer(centre(3, 3, 0).x, centre(3, 3, 0).y, 1);
    run(2);
    EXPECT_EQ(layout.get(3, 3, 0), 1);
    mark();
    for (int i = 0; i < 10; i++) {
        input::pointer(centre(3, 3, 0).x + i, centre(3, 3, 0).y - i, 1);
        run();
    }
    EXPECT_EQ(layout.get(3, 3, 0), 1);
    EXPECT_EQ(layout.count, 1);
    EXPECT_TRUE(marked()) << "nothing changed, nothing drawn";

    // A stroke that began by removing never places, even back over the cell it emptied.
    input::buttons(0);
    run();
    input::pointer(centre(3, 3, 0).x, centre(3, 3, 0).y, 1);
    run();
    EXPECT_EQ(layout.count, 0);
    input::pointer(centre(4, 3, 0).x, centre(4, 3, 0).y, 1);
    run();
    input::pointer(centre(3, 3, 0).x, centre(3, 3, 0).y, 1);
    run();
    EXPECT_EQ(layout.count, 0);
}

TEST_F(EditorTest, PressOutsideTheGridDoesNothingUntilItReachesTheGrid)
{
    run();
    mark();
    for (Point p : {Point{5, 5}, Point{19, 200}, Point{320, 470}, Point{630, 117},
                    Point{320, 116}, Point{320, 363}})
        click(p.x, p.y);
    input::pointer(300, 300, 2);  // right button
    run(3);
    EXPECT_EQ(layout.count, 0);
    EXPECT_TRUE(marked());

    // Dragged in from outside, the stroke starts at the first cell it reaches.
    input::pointer(5, 200, 1);
    run();
    input::pointer(30, 200, 1);
    run();
    EXPECT_EQ(layout.get(0, 2, 0), 1);
    EXPECT_EQ(layout.count, 1);
}

TEST_F(EditorTest, UpperLayersNeedAPieceBelow)
{
    tap(KEY_2);
    EXPECT_FALSE(framed(0, 0, 1));
    click_cell(0, 0, 1);
    EXPECT_EQ(layout.count, 0);

    tap(KEY_1);
    click_cell(0, 0, 0);
    tap(KEY_2);
    EXPECT_TRUE(framed(0, 0, 1));
    EXPECT_FALSE(framed(1, 0, 1));
    click_cell(0, 0, 1);
    EXPECT_EQ(layout.get(0, 0, 1), 1);
    EXPECT_EQ(layout.count, 2);

    // A floating piece, as a file may hold, cannot be removed until it is supported.
    layout.set(6, 2, 1, 1);
    click_cell(6, 2, 1);
    EXPECT_EQ(layout.get(6, 2, 1), 1);
    tap(KEY_1);
    click_cell(6, 2, 0);
    tap(KEY_2);
    click_cell(6, 2, 1);
    EXPECT_EQ(layout.get(6, 2, 1), 0);
}

TEST_F(EditorTest, RemovingUnderAStackEmptiesTheWholeStack)
{
    run();
    for (int z = 0; z < 6; z++)
        layout.set(3, 3, z, 1);
    tap(KEY_2);
    click_cell(3, 3, 1);
    EXPECT_EQ(layout.count, 1);
    EXPECT_EQ(layout.get(3, 3, 0), 1);
    for (int z = 1; z < 6; z++)
        EXPECT_EQ(layout.get(3, 3, z), 0) << "layer " << z;
    EXPECT_TRUE(status_reads("z:        1   count:    1", true));
}

}  // namespace
