#include "render/game_frame.h"

#include "app/resources.h"
#include "board/layout.h"
#include "render/board_drawing.h"
#include "render/legacy_text.h"
#include "render/translucent.h"

void compose_game_frame(BITMAP *target, geometry::Point origin, int top_layer, int shading_step,
                        int selected_cell)
{
    BITMAP *background = resources.background_image;
    blit(background, target, 0, 0, 0, 0, background->w, background->h);
    draw_board(target, origin.x, origin.y, top_layer, shading_step, selected_cell);
    LEGACY_TEXT(textprintf(target, resources.game_font, 5, 5, own_colours(resources.game_font),
                           game_status_format, layout.count));
}

void compose_game_over(BITMAP *target)
{
    fill_rect_translucent(target, 0, 0, target->w, target->h,
                          makecol(veil_colour.r, veil_colour.g, veil_colour.b),
                          game_over_veil_factor);
    LEGACY_TEXT(textprintf_centre(target, resources.game_font, target->w / 2, target->h / 2,
                                  makecol(250, 255, 250), "Game Over"));
}
