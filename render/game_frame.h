// Whole screens of a game composed into a bitmap: the game loop, the game-over screen, the
// preview tool and the tests all compose them here, so they show the same pixels.
#pragma once

#include <allegro.h>

#include "board/geometry.h"
#include "render/board_drawing.h"

// One frame of a game on the global layout: the play field, the board with its veils and the
// selected piece framed (a cell index, or -1), and the count of pieces left.
void compose_game_frame(BITMAP *target, geometry::Point origin, int top_layer, int shading_step,
                        int selected_cell);
// The same with the marks: hint frames and the keyboard cursor drawn with their pieces, and
// the note at the bottom.
void compose_game_frame(BITMAP *target, geometry::Point origin, int top_layer, int shading_step,
                        int selected_cell, const BoardMarks &marks);

// The title screen: the title picture with the two items, `hovered` highlighted (any other
// value highlights none), their tops `line_height` apart from y 180 down.
// `board`, when given, is the board chosen, on a line below the items; `fault`, when given, why
// it cannot be played, on the line below that.
void compose_title_menu(BITMAP *target, int hovered, int line_height,
                        const char *board = nullptr, const char *fault = nullptr);
// The distance between the tops of the two items: one and a half heights of the game's font.
int title_menu_line_height();

// The game-over screen over whatever the target holds (the last frame of the game): a dark
// veil and "Game Over" with its top at the middle of the screen.
void compose_game_over(BITMAP *target);
