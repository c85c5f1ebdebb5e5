// The editor's trial game, leaving it, and the input that closed a modal screen.
#include <gtest/gtest.h>

#include "unit/editor_fixture.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Trial play

TEST_F(EditorTest, TrialPlayWaitsForPAndOfAnEmptyLayoutChangesNothing)
{
    run();
    editor.play = [this] {
        games++;
        EXPECT_EQ(layout.count, 0);
        return 1;
    };
    input::key_down(KEY_P);
    run(5);
    EXPECT_EQ(games, 0) << "not while P is held";
    mark();
    input::key_up(KEY_P);
    run(2);
    EXPECT_EQ(games, 1);
    EXPECT_FALSE(marked()) << "the editor redraws";
    EXPECT_TRUE(same_board(layout, board_from_text("")));
    EXPECT_FALSE(editor.has_left());
}

TEST_F(EditorTest, TrialGameWonLostOrAbandonedLeavesTheEditAsItWas)
{
    run();
    for (int x = 0; x < 5; x++)
        click_cell(x, 2, 0);
    tap(KEY_2);
    click_cell(1, 2, 1);
    layout.set(9, 6, 0, 42);
    tap(KEY_3);
    const Layout before = layout;
    ASSERT_EQ(before.count, 7);

    for (int result : {1, 2, 3}) {
        SCOPED_TRACE(result);
        editor.play = [this, result] {
            games++;
            // What a game does: symbols dealt over every piece, then pairs cleared.
            for (int i = 0; i < Layout::cell_count; i++)
                if (layout.cell(i) != 0)
                    layout.set_cell(i, 1 + i % 3);
            layout.set(0, 2, 0, 0);
            layout.set(1, 2, 1, 0);
            if (result == 2)
                layout.clear();
            return result;
        };
        tap(KEY_P);
        run(2);
        EXPECT_TRUE(same_board(layout, before));
        EXPECT_EQ(editor.current_layer, 2);
        EXPECT_FALSE(editor.has_left());
        EXPECT_TRUE(status_reads("z:        2   count:    7", true));
    }
    EXPECT_EQ(games, 3);
    EXPECT_TRUE(editor.has_unsaved_changes()) << "trial play saves nothing";
}

// ---------------------------------------------------------------------------------------------
// Leaving

TEST_F(EditorTest, EscapeLeavesOnlyOnceReleasedAndAsksNothingWithoutChanges)
{
    run();
    click_cell(4, 4, 0);
    click_cell(4, 4, 0);  // placed and removed again: nothing to lose
    input::key_down(KEY_ESC);
    run(5);
    EXPECT_FALSE(editor.has_left());
    input::key_up(KEY_ESC);
    run();
    EXPECT_TRUE(editor.has_left());
    EXPECT_TRUE(questions.empty());
}

TEST_F(EditorTest, EscapeWithUnsavedChangesAsksFirst)
{
    run();
    click_cell(4, 4, 0);
    mark();
    answer = 2;
    tap(KEY_ESC);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].buttons, "&Leave|&Stay");
    EXPECT_FALSE(editor.has_left());
    run();
    EXPECT_FALSE(marked()) << "staying redraws the editor over the question box";

    // Answered with Escape, which is still down afterwards: no second question.
    editor.ask = [this](const char *, const char *, const char *, const char *, const char *,
                        int, int) {
        questions.push_back({});
        input::key_down(KEY_ESC);
        return 2;
    };
    tap(KEY_ESC);
    ASSERT_EQ(questions.size(), 2u);
    run(5);
    input::key_up(KEY_ESC);
    run(5);
    EXPECT_EQ(questions.size(), 2u);
    EXPECT_FALSE(editor.has_left());
    EXPECT_EQ(layout.count, 1);

    editor.ask = [this](const char *, const char *, const char *, const char *, const char *,
                        int, int) {
        questions.push_back({});
        return 1;
    };
    tap(KEY_ESC);
    EXPECT_EQ(questions.size(), 3u);
    EXPECT_TRUE(editor.has_left());
}

TEST_F(EditorTest, NoQuestionOnceTheLayoutIsSavedOrLoaded)
{
    TempDir dir;
    run();
    click_cell(4, 4, 0);
    chosen_path = dir.path("saved.lyt");
    tap(KEY_S);
    EXPECT_FALSE(editor.has_unsaved_changes());
    click_cell(5, 5, 0);
    EXPECT_TRUE(editor.has_unsaved_changes());
    tap(KEY_L);  // back to what was saved
    EXPECT_FALSE(editor.has_unsaved_changes());
    tap(KEY_ESC);
    EXPECT_TRUE(editor.has_left());
    EXPECT_TRUE(questions.empty());
}

// ---------------------------------------------------------------------------------------------
// A key or button that closed a modal screen acts only there.

TEST_F(EditorTest, InputHeldWhenAModalScreenClosesActsOnlyThere)
{
    run();
    // Escape that cancelled the selector does not also leave the editor.
    in_dialog = [] { input::key_down(KEY_ESC); };
    tap(KEY_S);
    run(3);
    input::key_up(KEY_ESC);
    run(3);
    EXPECT_FALSE(editor.has_left());

    // A double click that confirmed the selector over the grid places nothing.
    TempDir dir;
    write_file(dir.path("empty.lyt"), std::vector<unsigned char>(504, 0));
    chosen_path = dir.path("empty.lyt");
    in_dialog = [] { input::pointer(centre(5, 3, 0).x, centre(5, 3, 0).y, 1); };
    tap(KEY_L);
    run(3);
    EXPECT_EQ(layout.count, 0);
    input::buttons(0);
    run();
    click_cell(5, 3, 0);
    EXPECT_EQ(layout.count, 1) << "the next press works";

    // P pressed during the trial game does not start another one.
    editor.play = [this] {
        games++;
        input::key_down(KEY_P);
        return 1;
    };
    tap(KEY_P);
    run(3);
    input::key_up(KEY_P);
    run(3);
    EXPECT_EQ(games, 1);
}

}  // namespace
