#include "app/game_over.h"

#include "app/input.h"
#include "app/resources.h"
#include "render/legacy_text.h"
#include "render/translucent.h"

void show_game_over()
{
    BITMAP *buffer = resources.buffer;
    fill_rect_translucent(buffer, 0, 0, SCREEN_W, SCREEN_H, makecol(0, 0, 128), 128);
    LEGACY_TEXT(textprintf_centre(buffer, resources.game_font, SCREEN_W / 2, SCREEN_H / 2,
                                  makecol(250, 255, 250), "Game Over"));
    scare_mouse();
    blit(buffer, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    rest(1500);
    // No input is read during the pause: what was pressed and let go in it is forgotten, and
    // only what is still held acts on the next screen.
    discard_pending_input();
    unscare_mouse();
}
