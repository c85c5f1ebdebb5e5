#include "app/game_over.h"

#include "app/input.h"
#include "app/resources.h"
#include "render/game_frame.h"

void show_game_over()
{
    compose_game_over(resources.buffer);
    scare_mouse();
    blit(resources.buffer, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    rest(1500);
    // No input is read during the pause: what was pressed and let go in it is forgotten, and
    // only what is still held acts on the next screen.
    discard_pending_input();
    unscare_mouse();
}
