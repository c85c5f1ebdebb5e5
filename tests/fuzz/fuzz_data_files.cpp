// Fuzz target: the start-up checks of the pictures and the font file against the library's
// own loaders. The first byte picks a TGA picture or a font datafile, the rest is the file.
// What must hold: whatever the checks let through, the library loads (and draws text with
// the font) without crashing or reading out of bounds; and a picture that passes is one the
// library reads.
#include <allegro.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/data_files.h"

namespace {

std::string scratch_path(const char *name)
{
    const char *dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    return std::string(dir) + "/tilestack-fuzz-" + std::to_string(getpid()) + "-" + name;
}

const std::string picture_path = scratch_path("picture.tga");
const std::string font_path = scratch_path("font.dat");

void remove_scratch_files()
{
    std::remove(picture_path.c_str());
    std::remove(font_path.c_str());
}

void write_bytes(const std::string &path, const uint8_t *data, size_t size)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(data, 1, size, f) != size || std::fclose(f) != 0)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        std::abort();
    std::atexit(remove_scratch_files);
    set_color_depth(16);
    set_color_conversion(COLORCONV_TOTAL);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const bool picture = data[0] & 1;
    data++;
    size--;
    if (picture) {
        if (tga_problem(data, size))
            return 0;
        write_bytes(picture_path, data, size);
        if (tga_file_problem(picture_path.c_str()))
            std::abort();  // the file check must agree with the check of the same bytes
        BITMAP *b = load_bitmap(picture_path.c_str(), nullptr);
        if (!b) {
            std::fprintf(stderr, "a picture that passes the check does not load\n");
            std::abort();
        }
        destroy_bitmap(b);
    } else {
        write_bytes(font_path, data, size);
        if (font_datafile_file_problem(font_path.c_str()))
            return 0;
        DATAFILE *d = load_datafile(font_path.c_str());
        if (d) {
            if (d[0].type != DAT_FONT)
                std::abort();
            // Drawn as the game draws it: in one colour, and in the font's own colours.
            FONT *f = static_cast<FONT *>(d[0].dat);
            text_height(f);
            BITMAP *b = create_bitmap_ex(16, 64, 32);
            if (!b)
                std::abort();
            textout_ex(b, f, " AZaz09~", 0, 0, makecol16(255, 255, 255), -1);
            textout_ex(b, f, " AZaz09~", 0, 0, -1, -1);
            text_length(f, "Start");
            destroy_bitmap(b);
            unload_datafile(d);
        }
    }
    return 0;
}
