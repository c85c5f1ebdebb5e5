// Renders the generated data files the way the game shows them, for looking at the art:
//   tilestack-preview GAMEDATA_DIR OUT_DIR [LAYOUT [SEED [DEPTH]]]
// writes OUT_DIR/title.bmp (the title screen with "Start" hovered), OUT_DIR/board.bmp (a
// dealt board of GAMEDATA_DIR/LAYOUT.lyt, or of the layout file LAYOUT when it ends in ".lyt",
// or of the layout text file LAYOUT when it ends in ".txt", as the game's first frame shows it), OUT_DIR/gameover.bmp (the game-over screen over
// that board), OUT_DIR/help.bmp (a later position of that game with a hint, its note and the
// keyboard cursor) and OUT_DIR/symbols.bmp (every symbol on a piece: plain, under one veil and
// under the darkest veils, three times enlarged). Everything is drawn by the game's own
// drawing code, with no display.
#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "app/resources.h"
#include "board/constants.h"
#include "board/layout.h"
#include "board/layout_text.h"
#include "board/rules.h"
#include "play/deal.h"
#include "play/hint.h"
#include "play/keyboard_cursor.h"
#include "render/board_drawing.h"
#include "render/game_frame.h"
#include "render/screen_look.h"
#include "render/translucent.h"

namespace {

[[noreturn]] void die(const std::string &message)
{
    std::fprintf(stderr, "tilestack-preview: %s\n", message.c_str());
    std::exit(1);
}

void save(BITMAP *b, const std::string &path)
{
    if (save_bitmap(path.c_str(), b, nullptr) != 0)
        die("cannot write " + path);
}

void veil(BITMAP *b, int factor)
{
    fill_rect_translucent(b, 0, 0, b->w, b->h,
                          makecol(veil_colour.r, veil_colour.g, veil_colour.b), factor);
}

void title_screen(BITMAP *screen_like, const std::string &out)
{
    compose_title_menu(screen_like, 0, title_menu_line_height());  // "Start" hovered
    save(screen_like, out + "/title.bmp");
}

bool load_layout(const std::string &path)
{
    if (path.size() < 4 || path.compare(path.size() - 4, 4, ".txt") != 0)
        return layout.load(path.c_str());
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    std::string error;
    if (!in || !layout_from_text(text.str(), layout, error)) {
        std::fprintf(stderr, "tilestack-preview: %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    return true;
}

// The player's help on screen: the board played on by taking the first pair each time until
// the hint finds no way left (or to the end), then the hint asked for, with its note, and the
// keyboard cursor shown on the first free piece.
void help_screen(BITMAP *screen_like, const std::string &out, const Deal &dealt)
{
    Hint hint = find_hint(layout);
    int a, b;
    while (hint.kind == HintKind::way && first_free_pair(layout, a, b)) {
        take_pair(layout, a, b);
        hint = find_hint(layout);
    }
    BoardMarks marks;
    if (hint.kind != HintKind::none)
        marks.hinted = {hint.a, hint.b};
    marks.note = hint.kind == HintKind::no_way    ? no_way_note
                 : hint.kind == HintKind::unknown ? unknown_note
                                                  : nullptr;
    marks.cursor = first_free_piece(layout);
    compose_game_frame(screen_like, geometry::board_origin(screen_like->w, screen_like->h),
                       dealt.top_layer, dealt.shading_step, -1, marks);
    save(screen_like, out + "/help.bmp");
}

// The first frame of a game on the layout, then the game-over screen laid over it, then the
// player's help on a later position.
void board_screens(BITMAP *screen_like, const std::string &out, const std::string &layout_path)
{
    if (!load_layout(layout_path))
        die("cannot load " + layout_path);
    Deal dealt;
    deal(layout, symbols_in_strip(resources.symbol_strip->w), dealt);
    compose_game_frame(screen_like, geometry::board_origin(screen_like->w, screen_like->h),
                       dealt.top_layer, dealt.shading_step, -1);
    save(screen_like, out + "/board.bmp");
    compose_game_over(screen_like);
    save(screen_like, out + "/gameover.bmp");
    help_screen(screen_like, out, dealt);
}

// Each symbol on a piece four times: plain, under a light veil and under the darkest ones.
void symbol_sheet(const std::string &out)
{
    const int n = symbols_in_strip(resources.symbol_strip->w);
    const int per_row = 10, factors[] = {0, 40, 120, 200};
    const int cell_w = 56, cell_h = 40;
    const int rows = (n + per_row - 1) / per_row;
    BITMAP *sheet = create_bitmap(per_row * cell_w + 8, rows * 4 * cell_h + 8);
    clear_to_color(sheet, makecol(60, 60, 60));
    BITMAP *cell = create_bitmap(cell_w, cell_h);
    for (int s = 1; s <= n; s++)
        for (int k = 0; k < 4; k++) {
            blit(resources.background_image, cell, 300, 200, 0, 0, cell_w, cell_h);
            draw_piece(cell, 3, 3, s);
            veil(cell, factors[k]);
            const int row = (s - 1) / per_row, col = (s - 1) % per_row;
            blit(cell, sheet, 0, 0, 4 + col * cell_w, 4 + (row * 4 + k) * cell_h, cell_w, cell_h);
        }
    destroy_bitmap(cell);
    BITMAP *big = create_bitmap(sheet->w * 3, sheet->h * 3);
    stretch_blit(sheet, big, 0, 0, sheet->w, sheet->h, 0, 0, big->w, big->h);
    save(big, out + "/symbols.bmp");
    destroy_bitmap(big);
    destroy_bitmap(sheet);
}

}  // namespace

int main(int argc, char *argv[])
{
    if (argc < 3 || argc > 6)
        die("usage: tilestack-preview GAMEDATA_DIR OUT_DIR [LAYOUT [SEED [DEPTH]]]");
    const std::string data = argv[1], out = argv[2];
    const std::string layout_name = argc > 3 ? argv[3] : "0";
    const unsigned seed = argc > 4 ? static_cast<unsigned>(std::atoi(argv[4])) : 1;
    const int depth = argc > 5 ? std::atoi(argv[5]) : 16;
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        die("cannot start the library");
    set_color_depth(depth);
    set_color_conversion(COLORCONV_TOTAL);
    load_data_files(data);

    BITMAP *screen_like = create_bitmap(640, 480);
    std::srand(seed);
    title_screen(screen_like, out);
    // A layout text file or a layout file of its own (FILE.lyt), or one of GAMEDATA_DIR by
    // its number.
    const bool own_file = layout_name.find(".txt") != std::string::npos ||
                          (layout_name.size() > 4 &&
                           layout_name.compare(layout_name.size() - 4, 4, ".lyt") == 0);
    board_screens(screen_like, out, own_file ? layout_name : data + "/" + layout_name + ".lyt");
    symbol_sheet(out);
    destroy_bitmap(screen_like);

    resources.free_resources();
    unload_datafile(resources.font_file);
    return 0;
}
END_OF_MAIN()
