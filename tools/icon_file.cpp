// tilestack-icon-file ICO PNG...: gathers the game's icon, drawn as PNG files of several sizes,
// into one Windows icon file (each picture kept as the PNG it is, as Windows reads them), for
// the program's icon resource in the Windows build.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

void put16(std::string &out, unsigned value)
{
    out += static_cast<char>(value & 0xff);
    out += static_cast<char>((value >> 8) & 0xff);
}

void put32(std::string &out, std::uint32_t value)
{
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}

// A PNG's width and height, from its header chunk; 0 when it is not a PNG.
unsigned png_side(const std::string &png, int at)
{
    if (png.size() < 24 || png.compare(1, 3, "PNG") != 0)
        return 0;
    unsigned value = 0;
    for (int i = 0; i < 4; i++)
        value = (value << 8) | static_cast<unsigned char>(png[16 + at * 4 + i]);
    return value;
}

}  // namespace

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: tilestack-icon-file ICO PNG...\n");
        return 2;
    }
    std::vector<std::string> pictures;
    for (int i = 2; i < argc; i++) {
        std::ifstream in(argv[i], std::ios::binary);
        pictures.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        const unsigned width = png_side(pictures.back(), 0), height = png_side(pictures.back(), 1);
        if (!in.is_open() || width == 0 || width > 256 || height == 0 || height > 256) {
            std::fprintf(stderr, "tilestack-icon-file: %s is not a PNG picture of 1 to 256 "
                                 "pixels a side\n", argv[i]);
            return 1;
        }
    }
    std::string out;
    put16(out, 0);
    put16(out, 1);  // an icon, not a cursor
    put16(out, static_cast<unsigned>(pictures.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * pictures.size());
    for (const std::string &png : pictures) {
        out += static_cast<char>(png_side(png, 0) & 0xff);  // 256 is written as 0
        out += static_cast<char>(png_side(png, 1) & 0xff);
        out += '\0';  // no palette
        out += '\0';
        put16(out, 1);   // planes
        put16(out, 32);  // bits per pixel
        put32(out, static_cast<std::uint32_t>(png.size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(png.size());
    }
    for (const std::string &png : pictures)
        out += png;
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    file.close();
    if (!file) {
        std::fprintf(stderr, "tilestack-icon-file: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
