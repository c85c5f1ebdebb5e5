// The rules of building a shape (support, removal with the stack above, the mirror) and the
// editor's history of steps, without a window.
#include <gtest/gtest.h>

#include "board/edit_history.h"
#include "board/editing.h"
#include "solve/layout_generator.h"
#include "support/boards.h"

namespace {

Layout empty()
{
    Layout l;
    l.clear();
    return l;
}

TEST(Editing, PlacingKeepsToTheSupportRuleAndRemovingTakesTheStack)
{
    Layout l = empty();
    EXPECT_FALSE(place_piece(l, 3, 2, 1)) << "nothing below";
    EXPECT_TRUE(place_piece(l, 3, 2, 0));
    EXPECT_FALSE(place_piece(l, 3, 2, 0)) << "already a piece";
    for (int z = 1; z < Layout::layers; z++)
        EXPECT_TRUE(place_piece(l, 3, 2, z)) << z;
    EXPECT_EQ(l.count, 6);
    EXPECT_TRUE(l.is_supported(3, 2, 5));
    EXPECT_FALSE(l.is_supported(4, 2, 1));

    // A piece of another value becomes 1, the count unchanged.
    l.set(7, 0, 0, 9);
    EXPECT_TRUE(place_piece(l, 7, 0, 0));
    EXPECT_EQ(l.get(7, 0, 0), 1);
    EXPECT_EQ(l.count, 7);

    EXPECT_FALSE(remove_piece(l, 5, 5, 0)) << "nothing there";
    EXPECT_TRUE(remove_piece(l, 3, 2, 2));
    EXPECT_EQ(l.count, 3) << "layers 2 to 5 go";
    EXPECT_EQ(l.get(3, 2, 1), 1);

    // A floating piece (only a file makes one) stays until something is put under it.
    l.set(9, 4, 3, 1);
    EXPECT_FALSE(remove_piece(l, 9, 4, 3));
    EXPECT_TRUE(can_lift(l, Layout::index(9, 4, 3)));
    EXPECT_FALSE(can_lift(l, Layout::index(3, 2, 0)));
    EXPECT_TRUE(can_place(l, Layout::index(3, 2, 2)));
    EXPECT_FALSE(can_place(l, Layout::index(4, 2, 2)));
}

TEST(Editing, MirroredStrokesActOnBothSidesEachUnderTheRules)
{
    EXPECT_EQ(mirror_column(0), 11);
    EXPECT_EQ(mirror_column(5), 6);
    EXPECT_EQ(mirror_cell(Layout::index(2, 6, 4)), Layout::index(9, 6, 4));

    Layout l = empty();
    // The middle columns mirror each other.
    EXPECT_TRUE(stroke_cell(l, 5, 3, 0, 1, true));
    EXPECT_EQ(l.get(5, 3, 0), 1);
    EXPECT_EQ(l.get(6, 3, 0), 1);
    EXPECT_FALSE(stroke_cell(l, 6, 3, 0, 1, true)) << "both already there";

    // Upper layers: each side needs its own support.
    l.set(1, 1, 0, 1);
    EXPECT_TRUE(stroke_cell(l, 1, 1, 1, 1, true));
    EXPECT_EQ(l.get(1, 1, 1), 1);
    EXPECT_EQ(l.get(10, 1, 1), 0) << "nothing under the mirrored cell";
    EXPECT_FALSE(stroke_cell(l, 10, 1, 1, 1, true)) << "one side placed, the other unsupported";

    // Removing on one side takes both stacks.
    EXPECT_FALSE(stroke_cell(l, 6, 3, 0, 1, false));
    l.set(6, 3, 1, 1);
    l.set(6, 3, 2, 1);
    EXPECT_TRUE(stroke_cell(l, 5, 3, 0, 0, true));
    EXPECT_EQ(l.count, 2) << "(1, 1, 0) and (1, 1, 1) are left";
    EXPECT_EQ(l.get(1, 1, 1), 1);

    // Without the mirror only the one cell.
    EXPECT_TRUE(stroke_cell(l, 4, 0, 0, 1, false));
    EXPECT_EQ(l.get(7, 0, 0), 0);
}

TEST(EditHistory, StepsGoBackAndForthAndANewStepForgetsTheRedo)
{
    EditHistory h;
    Layout l = empty();
    EXPECT_FALSE(h.undo(l));
    const Layout start = l;

    // A stroke of three pieces is one step; a stroke that changed nothing is none.
    for (int x = 0; x < 3; x++)
        place_piece(l, x, 0, 0);
    h.record(start, l);
    const Layout stroked = l;
    h.record(l, l);
    // A load: the whole layout replaced.
    Layout loaded = board_from_text("layer 0\n............\n.oo.........\n............\n"
                                    "............\n............\n............\n............\n");
    h.record(l, loaded);
    l = loaded;

    ASSERT_TRUE(h.undo(l));
    EXPECT_TRUE(same_board(l, stroked));
    ASSERT_TRUE(h.undo(l));
    EXPECT_TRUE(same_board(l, start));
    EXPECT_FALSE(h.undo(l));
    EXPECT_TRUE(same_board(l, start));
    ASSERT_TRUE(h.redo(l));
    EXPECT_TRUE(same_board(l, stroked));
    EXPECT_EQ(l.count, 3);
    ASSERT_TRUE(h.redo(l));
    EXPECT_TRUE(same_board(l, loaded));
    EXPECT_FALSE(h.redo(l));

    // After an undo, a new step forgets what could be done again.
    h.undo(l);
    Layout before = l;
    remove_piece(l, 0, 0, 0);
    h.record(before, l);
    EXPECT_FALSE(h.can_redo());
    EXPECT_FALSE(h.redo(l));
    EXPECT_EQ(l.count, 2);

    // Only the latest steps are kept.
    EditHistory capped;
    for (size_t k = 0; k <= EditHistory::most_steps; k++)
        capped.record(k % 2 ? stroked : start, k % 2 ? start : stroked);
    size_t undone = 0;
    while (capped.undo(l))
        undone++;
    EXPECT_EQ(undone, EditHistory::most_steps);
}

TEST(EditHistory, AGeneratedShapeIsAStepLikeAnyOther)
{
    SearchOptions options;
    options.deals = options.final_deals = 20;
    options.min_clear = 50;
    ShapeRequest request;
    request.pieces = 24;
    request.layers = 2;
    const SearchResult made = generate_layout(request, options);
    ASSERT_TRUE(made.reached);

    EditHistory h;
    Layout l = empty();
    place_piece(l, 0, 0, 0);
    const Layout drawn = l;
    h.record(l, made.shape);
    l = made.shape;
    ASSERT_TRUE(h.undo(l));
    EXPECT_TRUE(same_board(l, drawn));
    ASSERT_TRUE(h.redo(l));
    EXPECT_TRUE(same_board(l, made.shape));
}

}  // namespace
