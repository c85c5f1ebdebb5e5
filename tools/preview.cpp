// Renders the generated data files the way the game shows them, for looking at the art:
//   tilestack-preview GAMEDATA_DIR OUT_DIR [LAYOUT [SEED [DEPTH]]]
// writes OUT_DIR/title.bmp (the title screen with "Start" hovered), OUT_DIR/board.bmp (a
// dealt board of GAMEDATA_DIR/LAYOUT.lyt, or of the layout file LAYOUT when it ends in ".lyt",
// or of the layout text file LAYOUT when it ends in ".txt", on the play field, veils included, with the status line), OUT_DIR/gameover.bmp
// (the game-over screen over that board) and
// OUT_DIR/symbols.bmp (every symbol on a piece: plain, under one veil and under the darkest
// veils, three times enlarged). Nothing of the game's screens is used: this draws them
// from the files directly, so that the art can be judged before the game can show it.
#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "board/layout.h"
#include "board/layout_text.h"
#include "play/deal.h"

namespace {

[[noreturn]] void die(const std::string &message)
{
    std::fprintf(stderr, "tilestack-preview: %s\n", message.c_str());
    std::exit(1);
}

BITMAP *load(const std::string &path)
{
    BITMAP *b = load_bitmap(path.c_str(), nullptr);
    if (!b)
        die("cannot load " + path);
    return b;
}

// The veil: every pixel moves towards the colour by factor/256.
void veil(BITMAP *b, int r, int g, int bl, int factor)
{
    if (factor <= 0)
        return;
    for (int y = 0; y < b->h; y++)
        for (int x = 0; x < b->w; x++) {
            int c = getpixel(b, x, y);
            int nr = (getr(c) * (256 - factor) + r * factor) / 256;
            int ng = (getg(c) * (256 - factor) + g * factor) / 256;
            int nb = (getb(c) * (256 - factor) + bl * factor) / 256;
            putpixel(b, x, y, makecol(nr, ng, nb));
        }
}

struct Art {
    BITMAP *face, *strip, *field, *title;
    DATAFILE *data;
    FONT *text;
};

void draw_piece(BITMAP *target, const Art &art, int px, int py, int symbol)
{
    draw_sprite(target, art.face, px, py);
    masked_blit(art.strip, target, 27 * (symbol - 1), 0, px + 10, py + 4, 27, 27);
}

// The board as the game draws it: layers bottom up, a veil before each lower layer.
void draw_dealt_board(BITMAP *target, const Art &art, int top, int step)
{
    for (int z = 0; z < Layout::layers; z++) {
        veil(target, 0, 0, 128, (top - z) * step);
        for (int y = 0; y < Layout::rows; y++)
            for (int x = 0; x < Layout::columns; x++) {
                int v = layout.get(x, y, z);
                if (v != 0)
                    draw_piece(target, art, 20 + 50 * x - 10 * z, 117 + 35 * y - 7 * z, v);
            }
    }
}

void save(BITMAP *b, const std::string &path)
{
    if (save_bitmap(path.c_str(), b, nullptr) != 0)
        die("cannot write " + path);
}

void title_screen(const Art &art, const std::string &out)
{
    BITMAP *screen_like = create_bitmap(640, 480);
    blit(art.title, screen_like, 0, 0, 0, 0, 640, 480);
    int line = static_cast<int>(text_height(art.text) * 1.5);
    textout_centre_ex(screen_like, art.text, "Start", 320, 180, makecol(20, 240, 170), -1);
    textout_centre_ex(screen_like, art.text, "Exit", 320, 180 + line, makecol(64, 124, 94), -1);
    save(screen_like, out + "/title.bmp");
    destroy_bitmap(screen_like);
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

void board_screen(const Art &art, const std::string &out, const std::string &layout_path)
{
    if (!load_layout(layout_path))
        die("cannot load " + layout_path);
    Deal dealt;
    deal(layout, art.strip->w / 27, dealt);
    BITMAP *screen_like = create_bitmap(640, 480);
    blit(art.field, screen_like, 0, 0, 0, 0, 640, 480);
    draw_dealt_board(screen_like, art, dealt.top_layer, dealt.shading_step);
    char status[64];
    std::snprintf(status, sizeof status, "Pieces remaining: %4i", layout.count);
    textout_ex(screen_like, art.text, status, 5, 5, -1, -1);
    save(screen_like, out + "/board.bmp");
    // The game-over screen laid over the last frame.
    veil(screen_like, 0, 0, 128, 128);
    textout_centre_ex(screen_like, art.text, "Game Over", 320, 240, makecol(250, 255, 250), -1);
    save(screen_like, out + "/gameover.bmp");
    destroy_bitmap(screen_like);
}

// Each symbol on a piece three times: plain, under a light veil and under the darkest ones.
void symbol_sheet(const Art &art, const std::string &out)
{
    int n = art.strip->w / 27;
    const int per_row = 10, factors[] = {0, 40, 120, 200};
    int rows = (n + per_row - 1) / per_row;
    BITMAP *sheet = create_bitmap(per_row * 56 + 8, rows * 4 * 40 + 8);
    clear_to_color(sheet, makecol(60, 60, 60));
    BITMAP *cell = create_bitmap(56, 40);
    for (int s = 1; s <= n; s++)
        for (int k = 0; k < 4; k++) {
            blit(art.field, cell, 300, 200, 0, 0, 56, 40);
            draw_piece(cell, art, 3, 3, s);
            veil(cell, 0, 0, 128, factors[k]);
            int row = (s - 1) / per_row, col = (s - 1) % per_row;
            blit(cell, sheet, 0, 0, 4 + col * 56, 4 + (row * 4 + k) * 40, 56, 40);
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
    std::string data = argv[1], out = argv[2];
    std::string layout_name = argc > 3 ? argv[3] : "0";
    unsigned seed = argc > 4 ? static_cast<unsigned>(std::atoi(argv[4])) : 1;
    int depth = argc > 5 ? std::atoi(argv[5]) : 16;
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        die("cannot start the library");
    set_color_depth(depth);

    Art art;
    art.face = load(data + "/empty.tga");
    art.strip = load(data + "/geek.tga");
    art.field = load(data + "/bg.tga");
    art.title = load(data + "/title.tga");
    art.data = load_datafile((data + "/font.dat").c_str());
    if (!art.data || art.data[0].type != DAT_FONT)
        die("no font in " + data + "/font.dat");
    art.text = static_cast<FONT *>(art.data[0].dat);

    std::srand(seed);
    title_screen(art, out);
    // A layout text file or a layout file of its own (FILE.lyt), or one of GAMEDATA_DIR by
    // its number.
    bool own_file = layout_name.find(".txt") != std::string::npos ||
                    (layout_name.size() > 4 &&
                     layout_name.compare(layout_name.size() - 4, 4, ".lyt") == 0);
    board_screen(art, out, own_file ? layout_name : data + "/" + layout_name + ".lyt");
    symbol_sheet(art, out);

    for (BITMAP *b : {art.face, art.strip, art.field, art.title})
        destroy_bitmap(b);
    unload_datafile(art.data);
    return 0;
}
END_OF_MAIN()
