#include "app/title_menu.h"

#include "app/input.h"
#include "app/resources.h"
#include "board/geometry.h"
#include "render/legacy_text.h"

TitleMenu::TitleMenu()
{
    line_height = static_cast<int>(text_height(resources.game_font) * 1.5);
}

void TitleMenu::compose(BITMAP *target) const
{
    blit(resources.title_image, target, 0, 0, 0, 0, target->w, target->h);
    int y = first_item_top;
    for (int i = 0; i < 2; i++) {
        int colour = i == hovered ? makecol(20, 240, 170) : makecol(64, 124, 94);
        LEGACY_TEXT(textprintf_centre(target, resources.game_font, target->w / 2, y, colour, "%s",
                                      items[i]));
        y += line_height;
    }
}

void TitleMenu::pass()
{
    const InputState in = sample_input();
    BITMAP *buffer = resources.buffer;
    // Only the height of the pointer matters; every row above the first item is band -1 or less.
    hovered = geometry::floor_div(in.mouse_y - first_item_top, line_height);
    compose(buffer);

    if (!shown || hovered != last_shown) {
        shown = true;
        last_shown = hovered;
        scare_mouse();
        blit(buffer, screen, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
        unscare_mouse();
    }

    if (in.mouse_b != 0 && (hovered == 0 || hovered == 1))
        choice = hovered;
    if (in.key(KEY_ESC) || in.close_requested)
        choice = menu_exit;
}

int title_menu()
{
    TitleMenu menu;
    while (menu.choice < 0)
        menu.pass();
    return menu.choice;
}
