// The editor's long work off the loop: rating, generating and improving a shape.
#include <gtest/gtest.h>

#include "unit/editor_fixture.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Rating, generating and improving

TEST_F(EditorTest, RatingRunsOffTheLoopWithAProgressLineAndEndsInAMessage)
{
    run();
    for (int x = 0; x < 8; x += 2)
        click_cell(x, 2, 0);  // four pieces, each free: every deal clears
    const Layout shape = layout;
    tap(KEY_R);
    ASSERT_EQ(works.size(), 1u);
    EXPECT_GT(line_pixels(45), 100) << "the progress line";
    EXPECT_TRUE(status_reads("z:        0   count:    4"));

    // While it runs, only Escape and the close button are read.
    click_cell(8, 5, 0);
    tap(KEY_S);
    tap(KEY_R);
    tap(KEY_BACKSPACE);
    tap(KEY_M);
    EXPECT_TRUE(same_board(layout, shape));
    EXPECT_TRUE(dialogs.empty());
    EXPECT_EQ(works.size(), 1u);

    works[0]();
    run(2);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].title, "300 deals of this shape rated:");
    EXPECT_EQ(questions[0].text, "100.0 % can be cleared, 0.0 % are impossible, 0.0 % undecided;|"
                                 "a player taking the first pair clears 100.0 %.");
    EXPECT_EQ(questions[0].buttons, "OK|");
    EXPECT_EQ(line_pixels(45), 0) << "no progress line once done";
    EXPECT_TRUE(same_board(layout, shape));
    click_cell(8, 5, 0);
    EXPECT_EQ(layout.count, 5) << "editing goes on";

    // A shape that cannot be dealt is not rated.
    tap(KEY_R);
    EXPECT_EQ(works.size(), 1u);
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[1].title, "This shape cannot be rated:");
    EXPECT_EQ(questions[1].text, "The shape has an odd number of pieces (5): pieces are dealt in "
                                 "pairs.|");
}

TEST_F(EditorTest, CancelledWorkLeavesTheLayoutAndItsUnsavedStateAsTheyWere)
{
    run();
    click_cell(1, 1, 0);
    click_cell(2, 1, 0);
    const Layout before = layout;
    tap(KEY_R);
    ASSERT_EQ(works.size(), 1u);
    input::key_down(KEY_ESC);
    run(3);
    works[0]();  // sees the cancel before its first deal
    run(3);
    input::key_up(KEY_ESC);
    run(3);
    EXPECT_TRUE(questions.empty()) << "no rating shown";
    EXPECT_FALSE(editor.has_left()) << "the Escape that cancelled leaves nothing";
    EXPECT_TRUE(same_board(layout, before));
    EXPECT_TRUE(editor.has_unsaved_changes());
    EXPECT_EQ(line_pixels(45), 0);

    // Generating asks first over unsaved changes; Stay starts nothing.
    answer = 2;
    tap(KEY_G);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].title, "The layout has changes that are not saved.");
    EXPECT_EQ(questions[0].buttons, "&Replace|&Stay");
    EXPECT_EQ(works.size(), 1u);
    answer = 1;
    tap(KEY_G);
    ASSERT_EQ(works.size(), 2u);
    tap(KEY_ESC);
    works[1]();
    run(2);
    EXPECT_TRUE(same_board(layout, before));
    EXPECT_EQ(questions.size(), 2u);
    EXPECT_FALSE(editor.has_left());
}

TEST_F(EditorTest, ImproveSaysWhatItDidAndRefusesAnUnsoundShape)
{
    run();
    click_cell(3, 3, 0);
    tap(KEY_I);
    EXPECT_TRUE(works.empty());
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].title, "This shape cannot be improved:");
    EXPECT_EQ(questions[0].text, "odd count: 1 pieces can never all be paired|"
                                 "(improving needs an even count, each piece resting on something)");

    for (int x = 0; x < 12; x += 2)
        click_cell(x, 5, 0);
    click_cell(3, 1, 0);  // eight pieces, none beside another: every deal clears
    tap(KEY_I);
    ASSERT_EQ(works.size(), 1u);
    works[0]();
    run(2);
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[1].title, "Pieces moved: 0.");
    EXPECT_EQ(questions[1].text, "Deals that can be cleared: 100.0 % before, 100.0 % after|"
                                 "(1000 deals each).");
    EXPECT_EQ(layout.count, 8);
}

}  // namespace
