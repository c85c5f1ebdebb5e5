// Writes the game's data files from the readable sources under data/ and the drawing code
// under tools/art/:
//   tilestack-data SOURCE_DIR OUT_DIR FONT_GRID [FONT_FILE]
// The pictures are drawn in code; the layouts come from data/layouts/N.txt; the font is
// rendered from FONT_FILE (a scalable font, DejaVu Sans Bold by default) into the glyph grid
// image FONT_GRID, which the library's dat tool then packs into font.dat.
#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "art/art.h"
#include "art/font.h"
#include "board/layout.h"
#include "board/layout_check.h"
#include "board/layout_text.h"

namespace {

const char *const default_font = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
constexpr int font_line_height = 16;

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
    // The game deals whatever it is given; a shipped layout must be playable to the end.
    for (const std::string &problem : layout_problems(shape))
        die(source + ": " + problem);
    if (!shape.save(target.c_str()))
        die("cannot write " + target);
}

}  // namespace

int main(int argc, char *argv[])
{
    if (argc != 4 && argc != 5)
        die("usage: tilestack-data SOURCE_DIR OUT_DIR FONT_GRID [FONT_FILE]");
    std::string source = argv[1], out = argv[2];
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        die("cannot start the library");

    art::TextRenderer text(argc == 5 ? argv[4] : default_font);
    if (!text.ok())
        die(text.error());

    // Sprites keep the library's mask colour where they are transparent. The smoothed edges of
    // the symbols are laid over the face they are drawn on; the piece's own outer edge is
    // dark, so its part-covered pixels are laid over dark.
    save(art::piece_face().to_sprite(art::darker(art::face_colour(), 0.8)), out + "/empty.tga");
    save(art::symbol_strip().to_sprite(art::face_colour(), 0.35), out + "/geek.tga");
    save(art::play_field().to_bitmap({0, 0, 0}, true), out + "/bg.tga");
    save(art::title_picture(text).to_bitmap({0, 0, 0}, true), out + "/title.tga");
    if (!text.write_glyph_grid(argv[3], font_line_height))
        die(text.error());

    for (int n = 0; n < 3; n++) {
        std::string name = std::to_string(n);
        convert_layout(source + "/layouts/" + name + ".txt", out + "/" + name + ".lyt");
    }
    return 0;
}
END_OF_MAIN()
