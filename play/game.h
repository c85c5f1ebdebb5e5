// One game on the global layout.
#pragma once

// Deals `layout` and plays it. Returns 1 when the layout held no piece or Escape was pressed,
// 2 when the board was cleared or F1 was pressed, 3 when no two free pieces match any more.
int play_game();
