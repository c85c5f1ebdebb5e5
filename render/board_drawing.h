// Paints the dealt board of the global layout: faces, symbols, layer veils, selection frame.
#pragma once

#include <allegro.h>

#include <vector>

// What a frame of a game may show besides the board and its selection: the help the player
// asked for. Nothing marked (the default) gives the plain frame.
struct BoardMarks {
    std::vector<int> hinted;     // pieces framed in the hint's style: a hinted pair, or every
                                 // free piece
    int cursor = -1;             // the keyboard cursor's piece, or -1 while it is hidden
    const char *note = nullptr;  // a line of text at the bottom of the screen, or none

    bool operator==(const BoardMarks &o) const
    {
        return hinted == o.hinted && cursor == o.cursor && note == o.note;
    }
    bool operator!=(const BoardMarks &o) const { return !(*this == o); }
};

// One piece at (px, py): the blank face with symbol `symbol` (from 1) on it.
void draw_piece(BITMAP *target, int px, int py, int symbol);

// The hint's frame around the piece whose cell corner is (px, py): a dashed gold and black
// band two pixels wide, just outside the selection frame's place.
void draw_hint_frame(BITMAP *target, int px, int py);
// The keyboard cursor around the piece whose cell corner is (px, py): thick white corner
// brackets with a dark edge.
void draw_cursor_frame(BITMAP *target, int px, int py);

// Draws every layer of `layout` into target with the corner of cell (0, 0, 0) at (ox, oy).
// Before each layer z the whole target is veiled with factor (top_layer - z) * shading_step;
// selected_cell (a cell index, or -1) gets a two-tone green frame.
void draw_board(BITMAP *target, int ox, int oy, int top_layer, int shading_step,
                int selected_cell);
// The same with the hint frames and the cursor of `marks` (its note is not drawn here). Each
// frame is drawn straight after its piece, so that whatever is drawn over the piece later
// (its neighbours to the right and below, the layers above, their veils) covers its frame
// too.
void draw_board(BITMAP *target, int ox, int oy, int top_layer, int shading_step,
                int selected_cell, const BoardMarks &marks);
