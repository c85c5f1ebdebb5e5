#include "editor/editor.h"

#include "app/resources.h"

// Placeholder until the editor lands: shows the play field until Escape is pressed and released.
void edit_layouts()
{
    blit(resources.background_image, resources.buffer, 0, 0, 0, 0,
         resources.background_image->w, resources.background_image->h);
    scare_mouse();
    blit(resources.buffer, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    unscare_mouse();
    while (!key[KEY_ESC]) {
    }
    while (key[KEY_ESC]) {
    }
}
