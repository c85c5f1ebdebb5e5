// The editor's frame: what each layer shows, and when a new frame is drawn.
#include <gtest/gtest.h>

#include "unit/editor_fixture.h"

namespace {

// ---------------------------------------------------------------------------------------------
// The frame

TEST_F(EditorTest, EntryClearsTheLayoutAndShowsEmptyLayer0)
{
    layout.set(3, 3, 0, 1);
    layout.set(3, 3, 1, 5);
    Editor fresh;
    EXPECT_TRUE(same_board(layout, board_from_text("")));
    fresh.pass();
    int frames = 0, faces = 0;
    for (int y = 0; y < 7; y++)
        for (int x = 0; x < 12; x++) {
            frames += framed(x, y, 0);
            faces += face_at(x, y, 0);
        }
    EXPECT_EQ(frames, 84);
    EXPECT_EQ(faces, 0);
    EXPECT_EQ(rgb_at(screen, 320, 470), rgb_of(FakeResources::background_colour(), 16));
    EXPECT_TRUE(status_reads("z:        0   count:    0"));
    EXPECT_FALSE(fresh.has_unsaved_changes());
}

TEST_F(EditorTest, NewFrameOnlyWhenSomethingVisibleChanged)
{
    run();
    mark();
    input::pointer(300, 300);
    run(5);
    click(5, 5);    // outside the grid
    tap(KEY_1);     // the layer already shown
    tap(KEY_7);     // not a key of the editor
    EXPECT_TRUE(marked());

    click_cell(4, 4, 0);
    EXPECT_FALSE(marked()) << "a placed piece is shown";
    EXPECT_TRUE(face_at(4, 4, 0));
    EXPECT_TRUE(status_reads("z:        0   count:    1"));

    mark();
    tap(KEY_2);
    EXPECT_FALSE(marked()) << "another layer is shown";
}

TEST_F(EditorTest, LowerLayersAreDimmedAndUpperLayersHidden)
{
    run();
    layout.set(0, 0, 0, 1);
    layout.set(1, 0, 1, 1);
    layout.set(1, 0, 0, 1);
    layout.set(5, 5, 2, 1);  // above the layer shown
    tap(KEY_2);

    const Rgb face = rgb_of(FakeResources::face_colour(), 16);
    const Rgb black = {0, 0, 0};
    // Layer 0 (corner at an even pixel): only odd columns on odd rows keep their colour.
    EXPECT_EQ(face_pixel(0, 0, 0, 21, 16), face);
    EXPECT_EQ(face_pixel(0, 0, 0, 20, 16), black);
    EXPECT_EQ(face_pixel(0, 0, 0, 21, 15), black);
    // Layer 1 is drawn over the veil, whole.
    EXPECT_EQ(face_pixel(1, 0, 1, 20, 16), face);
    EXPECT_EQ(face_pixel(1, 0, 1, 21, 15), face);
    EXPECT_FALSE(face_at(5, 5, 2));
    EXPECT_EQ(face_pixel(5, 5, 2, 21, 17), rgb_of(FakeResources::background_colour(), 16));
    EXPECT_TRUE(framed(1, 0, 1)) << "a piece below supports a frame";
    EXPECT_FALSE(framed(2, 0, 1));
    EXPECT_TRUE(status_reads("z:        1   count:    4", true));
}

TEST_F(EditorTest, LayerKeysChooseLayers0To5AndTheLowestNumberWins)
{
    const int keys[] = {KEY_1, KEY_2, KEY_3, KEY_4, KEY_5, KEY_6};
    const char *status[] = {"z:        0   count:    0", "z:        1   count:    0",
                            "z:        2   count:    0", "z:        3   count:    0",
                            "z:        4   count:    0", "z:        5   count:    0"};
    for (int z : {3, 5, 0, 1, 4, 2}) {
        tap(keys[z]);
        EXPECT_EQ(editor.current_layer, z);
        EXPECT_TRUE(status_reads(status[z], z > 0)) << "key " << z + 1;
    }
    mark();
    tap(KEY_7);
    EXPECT_EQ(editor.current_layer, 2);
    EXPECT_TRUE(marked());

    input::key_down(KEY_6);
    input::key_down(KEY_4);
    input::key_down(KEY_5);
    run();
    EXPECT_EQ(editor.current_layer, 3);
}

}  // namespace
