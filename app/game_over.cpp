#include "app/game_over.h"

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
    unscare_mouse();
}
