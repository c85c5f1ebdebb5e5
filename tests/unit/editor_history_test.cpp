// The editor's undo and redo, and mirrored strokes.
#include <gtest/gtest.h>

#include "unit/editor_fixture.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Undo and redo, mirrored strokes

TEST_F(EditorTest, UndoAndRedoStepWholeStrokesAndLoadsOncePerPress)
{
    TempDir dir;
    run();
    // A stroke across three cells is one step.
    input::pointer(centre(0, 1, 0).x, centre(0, 1, 0).y, 1);
    run();
    for (int x = 1; x < 3; x++) {
        input::pointer(centre(x, 1, 0).x, centre(x, 1, 0).y, 1);
        run();
    }
    input::buttons(0);
    run();
    click_cell(5, 5, 0);
    ASSERT_EQ(layout.count, 4);

    input::key_down(KEY_BACKSPACE);
    run(5);
    input::key_up(KEY_BACKSPACE);
    run();
    EXPECT_EQ(layout.count, 3) << "one step a press";
    EXPECT_FALSE(face_at(5, 5, 0));
    ctrl(KEY_Z);
    EXPECT_EQ(layout.count, 0);
    EXPECT_TRUE(status_reads("z:        0   count:    0"));
    ctrl(KEY_Z);
    EXPECT_EQ(layout.count, 0) << "nothing more to take back";
    ctrl(KEY_Y);
    EXPECT_EQ(layout.count, 3);
    EXPECT_TRUE(face_at(2, 1, 0));
    input::key_down(KEY_LSHIFT);
    ctrl(KEY_Z);
    input::key_up(KEY_LSHIFT);
    EXPECT_EQ(layout.get(5, 5, 0), 1);
    EXPECT_TRUE(status_reads("z:        0   count:    4"));

    // A change after an undo forgets what could be done again.
    tap(KEY_BACKSPACE);
    click_cell(9, 0, 0);
    ctrl(KEY_Y);
    EXPECT_EQ(layout.get(5, 5, 0), 0);
    EXPECT_EQ(layout.count, 4);

    // Undoing back to the layout last saved leaves nothing unsaved.
    chosen_path = dir.path("saved.lyt");
    tap(KEY_S);
    click_cell(7, 3, 0);
    EXPECT_TRUE(editor.has_unsaved_changes());
    tap(KEY_BACKSPACE);
    EXPECT_FALSE(editor.has_unsaved_changes());

    // A load is a step: undo gives back the edit it replaced, which is then unsaved.
    const Layout edited = layout;
    write_file(dir.path("two.lyt"), layout_bytes({{4, 4, 0, 1}, {4, 4, 1, 1}}));
    chosen_path = dir.path("two.lyt");
    tap(KEY_L);
    EXPECT_EQ(layout.count, 2);
    tap(KEY_BACKSPACE);
    EXPECT_TRUE(same_board(layout, edited));
    EXPECT_TRUE(editor.has_unsaved_changes());
    ctrl(KEY_Y);
    EXPECT_EQ(layout.count, 2);
    EXPECT_FALSE(editor.has_unsaved_changes());
    EXPECT_TRUE(questions.empty());
}

TEST_F(EditorTest, MirrorKeyMakesStrokesActOnBothHalvesAndSaysSo)
{
    run();
    EXPECT_EQ(line_pixels(45), 0);
    input::key_down(KEY_M);
    run(5);
    input::key_up(KEY_M);
    run();
    EXPECT_GT(line_pixels(45), 100) << "a third line says mirroring is on";
    EXPECT_TRUE(status_reads("z:        0   count:    0"));

    click_cell(2, 3, 0);
    EXPECT_EQ(layout.get(9, 3, 0), 1);
    EXPECT_TRUE(face_at(9, 3, 0));
    click_cell(9, 3, 0);  // both go
    EXPECT_EQ(layout.count, 0);
    tap(KEY_BACKSPACE);
    EXPECT_EQ(layout.count, 2) << "a mirrored stroke is one step";

    tap(KEY_M);
    EXPECT_EQ(line_pixels(45), 0);
    click_cell(2, 1, 0);
    EXPECT_EQ(layout.get(9, 1, 0), 0);
    EXPECT_EQ(layout.count, 3);
}

}  // namespace
