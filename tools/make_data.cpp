// Writes the game's data files from the readable sources under data/:
//   tilestack-data SOURCE_DIR OUT_DIR FONT_GRID
// The pictures are drawn here in code; the layouts come from data/layouts/N.txt; the font is
// written as a glyph grid image that the library's dat tool packs into font.dat.
#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "board/layout.h"
#include "board/layout_text.h"

namespace {

[[noreturn]] void die(const std::string &message)
{
    std::fprintf(stderr, "tilestack-data: %s\n", message.c_str());
    std::exit(1);
}

void save(BITMAP *image, const std::string &path)
{
    if (save_bitmap(path.c_str(), image, nullptr) != 0)
        die("cannot write " + path);
    destroy_bitmap(image);
}

// Placeholder pictures: the right sizes and kinds, plainly drawn.
BITMAP *piece_face()
{
    BITMAP *b = create_bitmap(50, 35);
    clear_to_color(b, makecol(255, 0, 255));
    rectfill(b, 0, 0, 47, 32, makecol(120, 110, 90));
    rectfill(b, 0, 0, 45, 30, makecol(245, 240, 220));
    rect(b, 0, 0, 45, 30, makecol(90, 80, 60));
    return b;
}

BITMAP *symbol_strip(int symbols)
{
    BITMAP *b = create_bitmap(27 * symbols, 27);
    clear_to_color(b, makecol(255, 0, 255));
    for (int s = 0; s < symbols; s++) {
        int colour = makecol(40 + (s * 53) % 200, 40 + (s * 97) % 200, 40 + (s * 31) % 200);
        int x = 27 * s;
        if (s % 3 == 0)
            circlefill(b, x + 13, 13, 10, colour);
        else if (s % 3 == 1)
            rectfill(b, x + 4, 4, x + 22, 22, colour);
        else
            triangle(b, x + 13, 3, x + 3, 23, x + 23, 23, colour);
        char label[16];
        std::snprintf(label, sizeof label, "%d", s + 1);
        textout_centre_ex(b, font, label, x + 13, 10, makecol(255, 255, 255), -1);
    }
    return b;
}

BITMAP *plain_picture(int r, int g, int bl, const char *caption)
{
    BITMAP *b = create_bitmap(640, 480);
    clear_to_color(b, makecol(r, g, bl));
    if (caption)
        textout_centre_ex(b, font, caption, 320, 100, makecol(255, 255, 255), -1);
    return b;
}

// A glyph grid in the library's font format: glyphs 32..126 on a background of colour 255,
// each in its own box, drawn from the built-in 8 x 8 font at twice its size.
void write_font_grid(const std::string &path)
{
    set_color_depth(8);
    const int w = 16, h = 16, per_row = 16, glyphs = 95;
    BITMAP *grid = create_bitmap(1 + per_row * (w + 1), 1 + (glyphs / per_row + 1) * (h + 1));
    clear_to_color(grid, 255);
    BITMAP *glyph = create_bitmap(8, 8);
    for (int i = 0; i < glyphs; i++) {
        clear_to_color(glyph, 0);
        char text[2] = {static_cast<char>(32 + i), 0};
        textout_ex(glyph, font, text, 0, 0, 1, 0);
        stretch_blit(glyph, grid, 0, 0, 8, 8, 1 + (i % per_row) * (w + 1),
                     1 + (i / per_row) * (h + 1), w, h);
    }
    destroy_bitmap(glyph);
    PALETTE palette;
    for (int i = 0; i < 256; i++)
        palette[i].r = palette[i].g = palette[i].b = i / 4;
    if (save_bitmap(path.c_str(), grid, palette) != 0)
        die("cannot write " + path);
    destroy_bitmap(grid);
}

void convert_layout(const std::string &source, const std::string &target)
{
    std::ifstream in(source);
    if (!in)
        die("cannot read " + source);
    std::stringstream text;
    text << in.rdbuf();
    Layout shape;
    std::string error;
    if (!layout_from_text(text.str(), shape, error))
        die(source + ": " + error);
    if (!shape.save(target.c_str()))
        die("cannot write " + target);
}

}  // namespace

int main(int argc, char *argv[])
{
    if (argc != 4)
        die("usage: tilestack-data SOURCE_DIR OUT_DIR FONT_GRID");
    std::string source = argv[1], out = argv[2];
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        die("cannot start the library");

    set_color_depth(32);
    save(piece_face(), out + "/empty.tga");
    save(symbol_strip(36), out + "/geek.tga");
    save(plain_picture(20, 70, 50, nullptr), out + "/bg.tga");
    save(plain_picture(20, 40, 60, "tilestack"), out + "/title.tga");
    write_font_grid(argv[3]);

    for (int n = 0; n < 3; n++) {
        std::string name = std::to_string(n);
        convert_layout(source + "/layouts/" + name + ".txt", out + "/" + name + ".lyt");
    }
    return 0;
}
END_OF_MAIN()
