#include "app/game_over.h"

#include "app/display_scale.h"
#include "app/input.h"
#include "app/resources.h"
#include "render/game_frame.h"

void show_game_over()
{
    compose_game_over(resources.buffer);
    scare_mouse();
    copy_to_screen(resources.buffer);
    rest(1500);
    // No input is read during the pause: what was pressed and let go in it is forgotten, and
    // only what is still held acts on the next screen.
    discard_pending_input();
    unscare_mouse();
}
