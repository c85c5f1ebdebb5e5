#include "play/game.h"

#include "app/resources.h"
#include "board/layout.h"

// Placeholder until the game lands: shows the play field and ends at once.
int play_game()
{
    if (layout.count == 0)
        return 1;
    blit(resources.background_image, resources.buffer, 0, 0, 0, 0,
         resources.background_image->w, resources.background_image->h);
    scare_mouse();
    blit(resources.buffer, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    unscare_mouse();
    return 2;
}
