// The screen that follows a game that was not left with Escape.
#pragma once

// Veils the last frame of the game in dark blue, writes "Game Over" on it and holds it for
// 1500 ms with the pointer hidden.
void show_game_over();
