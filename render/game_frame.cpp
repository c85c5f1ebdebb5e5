#include "render/game_frame.h"

#include "app/resources.h"
#include "board/layout.h"
#include "render/board_drawing.h"
#include "render/legacy_text.h"
#include "render/screen_look.h"
#include "render/translucent.h"

void compose_game_frame(BITMAP *target, geometry::Point origin, int top_layer, int shading_step,
                        int selected_cell)
{
    compose_game_frame(target, origin, top_layer, shading_step, selected_cell, BoardMarks());
}

void compose_game_frame(BITMAP *target, geometry::Point origin, int top_layer, int shading_step,
                        int selected_cell, const BoardMarks &marks)
{
    BITMAP *background = resources.background_image;
    blit(background, target, 0, 0, 0, 0, background->w, background->h);
    draw_board(target, origin.x, origin.y, top_layer, shading_step, selected_cell, marks);
    LEGACY_TEXT(textprintf(target, resources.game_font, 5, 5, own_colours(resources.game_font),
                           game_status_format, layout.count));
    if (marks.note) {
        // On a dark band of its own below the board, so that it reads on any background.
        const int top = target->h - text_height(resources.game_font) - 12;
        rectfill(target, 0, top, target->w - 1, target->h - 1, makecol(10, 14, 40));
        LEGACY_TEXT(textprintf_centre(target, resources.game_font, target->w / 2, top + 6,
                                      makecol(255, 225, 120), "%s", marks.note));
    }
}

int title_menu_line_height() { return static_cast<int>(text_height(resources.game_font) * 1.5); }

void compose_title_menu(BITMAP *target, int hovered, int line_height, const char *board,
                        const char *fault)
{
    static const char *const items[2] = {"Start", "Exit"};
    blit(resources.title_image, target, 0, 0, 0, 0, target->w, target->h);
    int y = title_first_item_top;
    for (int i = 0; i < 2; i++) {
        int colour = i == hovered ? makecol(20, 240, 170) : makecol(64, 124, 94);
        LEGACY_TEXT(textprintf_centre(target, resources.game_font, target->w / 2, y, colour, "%s",
                                      items[i]));
        y += line_height;
    }
    y += line_height;
    if (board) {
        LEGACY_TEXT(textprintf_centre(target, resources.game_font, target->w / 2, y,
                                      makecol(20, 240, 170), "< %s >", board));
    }
    if (fault) {
        LEGACY_TEXT(textprintf_centre(target, resources.game_font, target->w / 2, y + line_height,
                                      makecol(255, 150, 120), "cannot be played: %s", fault));
    }
}

void compose_game_over(BITMAP *target)
{
    fill_rect_translucent(target, 0, 0, target->w, target->h,
                          makecol(veil_colour.r, veil_colour.g, veil_colour.b),
                          game_over_veil_factor);
    LEGACY_TEXT(textprintf_centre(target, resources.game_font, target->w / 2, target->h / 2,
                                  makecol(250, 255, 250), "Game Over"));
}
