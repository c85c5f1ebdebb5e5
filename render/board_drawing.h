// Paints the dealt board of the global layout: faces, symbols, layer veils, selection frame.
#pragma once

#include <allegro.h>

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
