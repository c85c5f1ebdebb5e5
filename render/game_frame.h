// Whole screens of a game composed into a bitmap: the game loop, the game-over screen, the
// preview tool and the tests all compose them here, so they show the same pixels.
#pragma once

#include <allegro.h>

#include <vector>

#include "board/geometry.h"

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

// One frame of a game on the global layout: the play field, the board with its veils and the
// selected piece framed (a cell index, or -1), and the count of pieces left.
void compose_game_frame(BITMAP *target, geometry::Point origin, int top_layer, int shading_step,
                        int selected_cell);
// The same with the marks laid over the board: hint frames, then the keyboard cursor, then
// the note at the bottom.
void compose_game_frame(BITMAP *target, geometry::Point origin, int top_layer, int shading_step,
                        int selected_cell, const BoardMarks &marks);

// The title screen: the title picture with the two items, `hovered` highlighted (any other
// value highlights none), their tops `line_height` apart from y 180 down.
void compose_title_menu(BITMAP *target, int hovered, int line_height);
// The distance between the tops of the two items: one and a half heights of the game's font.
int title_menu_line_height();

// The game-over screen over whatever the target holds (the last frame of the game): a dark
// veil and "Game Over" with its top at the middle of the screen.
void compose_game_over(BITMAP *target);
