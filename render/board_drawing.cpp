#include "render/board_drawing.h"

// Placeholder until board drawing lands.
void draw_board(BITMAP *, int, int, int, int, int) {}
