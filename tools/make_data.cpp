// Writes the game's data files from the readable sources under data/ and the drawing code
// under tools/art/:
//   tilestack-data SOURCE_DIR OUT_DIR FONT_GRID [FONT_FILE]
// The pictures are drawn in code; the layouts come from data/layouts/N.txt; the font is
// rendered from FONT_FILE (a scalable font, DejaVu Sans Bold by default) into the glyph grid
// image FONT_GRID, which the library's dat tool then packs into font.dat.
//   tilestack-data --icons ICON_DIR WINDOW_ICON SIZE...
// draws the game's icon as PNG files of each SIZE for the desktop's hicolor theme
// (ICON_DIR/NxN/apps/tilestack.png) and as the XPM picture WINDOW_ICON, C source that the
// game compiles in for its window.
#include <allegro.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "art/art.h"
#include "art/font.h"
#include "board/layout.h"
#include "board/layout_check.h"
#include "board/layout_name.h"
#include "board/layout_text.h"
#include "platform/files.h"
#include "png_file.h"

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

// Writes the layout file of a text source, and its name's side file when the text names the
// board.
void convert_layout(const std::string &source, const std::string &target)
{
    std::ifstream in(source);
    if (!in)
        die("cannot read " + source);
    std::stringstream text;
    text << in.rdbuf();
    Layout shape;
    std::string error, name;
    if (!layout_from_text(text.str(), shape, error, name))
        die(source + ": " + error);
    // The game deals whatever it is given; a shipped layout must be playable to the end.
    for (const std::string &problem : layout_problems(shape))
        die(source + ": " + problem);
    if (!shape.save(target.c_str()))
        die("cannot write " + target);
    if (!name.empty() && !write_layout_name(target, name))
        die("cannot write " + name_file_for(target));
}

// The gallery of shipped boards: each stem listed in SOURCE/gallery.txt, in its order, made
// from SOURCE/layouts/STEM.txt into STEM.lyt and STEM.name, and gallery.txt listing the
// layout files. Every gallery board must be named.
void write_gallery(const std::string &source, const std::string &out)
{
    std::ifstream list(source + "/gallery.txt");
    if (!list)
        die("cannot read " + source + "/gallery.txt");
    std::string stem, files;
    while (std::getline(list, stem)) {
        if (stem.empty())
            continue;
        const std::string target = out + "/" + stem + ".lyt";
        convert_layout(source + "/layouts/" + stem + ".txt", target);
        if (read_layout_name(target).empty())
            die(source + "/layouts/" + stem + ".txt: a gallery board needs a name line");
        files += stem + ".lyt\n";
    }
    const std::string path = out + "/gallery.txt";
    if (!replace_file(path.c_str(), reinterpret_cast<const unsigned char *>(files.data()),
                      files.size()))
        die("cannot write " + path);
}

// The icon as an XPM picture in C source: the array `name`. Pixels less than half covered are
// transparent; the others keep their colour.
std::string xpm_text(const art::Canvas &icon, const std::string &name)
{
    // Characters that need no escape in a C string.
    const std::string alphabet =
        ".#abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+@$%&*=-;:>,<'/|~^";
    const std::vector<unsigned char> rgba = icon.to_rgba();
    const int n = icon.width() * icon.height();
    std::vector<long> colour_of(n);  // -1 for transparent
    std::map<long, int> colours;
    for (int i = 0; i < n; i++) {
        const unsigned char *p = &rgba[4 * i];
        colour_of[i] = p[3] < 128 ? -1 : (p[0] << 16 | p[1] << 8 | p[2]);
        colours.emplace(colour_of[i], 0);
    }
    const int per_pixel = colours.size() <= alphabet.size() ? 1 : 2;
    if (colours.size() > alphabet.size() * alphabet.size())
        die("the icon has too many colours for its XPM picture");
    std::map<long, std::string> code;
    int k = 0;
    for (auto &entry : colours) {
        std::string c(1, alphabet[k % alphabet.size()]);
        if (per_pixel == 2)
            c += alphabet[k / alphabet.size()];
        code[entry.first] = c;
        k++;
    }

    std::ostringstream out;
    out << "/* XPM */\n/* The game's icon, drawn by tilestack-data. */\n"
        << "static const char *" << name << "[] = {\n"
        << "\"" << icon.width() << ' ' << icon.height() << ' ' << colours.size() << ' '
        << per_pixel << "\",\n";
    for (const auto &[colour, c] : code) {
        char written[24];
        if (colour < 0)
            std::snprintf(written, sizeof written, "None");
        else
            std::snprintf(written, sizeof written, "#%06lX", colour);
        out << "\"" << c << " c " << written << "\",\n";
    }
    for (int y = 0; y < icon.height(); y++) {
        out << '"';
        for (int x = 0; x < icon.width(); x++)
            out << code[colour_of[y * icon.width() + x]];
        out << (y + 1 < icon.height() ? "\",\n" : "\"\n");
    }
    out << "};\n";
    return out.str();
}

void write_icons(const std::string &icon_dir, const std::string &window_icon,
                 const std::vector<int> &sizes)
{
    for (int size : sizes) {
        const std::string folder =
            icon_dir + "/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        const art::Canvas icon = art::game_icon(size);
        if (!write_png(folder + "/tilestack.png", size, size, 4, icon.to_rgba()))
            die("cannot write " + folder + "/tilestack.png");
    }
    std::ofstream out(window_icon, std::ios::trunc);
    out << xpm_text(art::game_icon(art::window_icon_size), "tilestack_icon");
    out.close();
    if (!out)
        die("cannot write " + window_icon);
}

}  // namespace

int main(int argc, char *argv[])
{
    if (argc >= 4 && std::string(argv[1]) == "--icons") {
        std::vector<int> sizes;
        for (int i = 4; i < argc; i++) {
            char *end;
            long size = std::strtol(argv[i], &end, 10);
            if (*end || size < 1 || size > 1024)
                die(std::string("not an icon size: ") + argv[i]);
            sizes.push_back(static_cast<int>(size));
        }
        write_icons(argv[2], argv[3], sizes);
        return 0;
    }
    if (argc != 4 && argc != 5)
        die("usage: tilestack-data SOURCE_DIR OUT_DIR FONT_GRID [FONT_FILE]\n"
            "       tilestack-data --icons ICON_DIR WINDOW_ICON SIZE...");
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

    for (int n = 0; n < layout_file_count; n++) {
        std::string name = std::to_string(n);
        convert_layout(source + "/layouts/" + name + ".txt", out + "/" + name + ".lyt");
    }
    write_gallery(source, out);
    return 0;
}
END_OF_MAIN()
