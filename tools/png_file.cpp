#include "png_file.h"

#include <zlib.h>

#include <cstdint>
#include <fstream>

namespace {

void put_u32(std::string &out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out += static_cast<char>((v >> shift) & 0xff);
}

void put_chunk(std::string &out, const char *type, const std::string &data)
{
    put_u32(out, static_cast<uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    put_u32(out, static_cast<uint32_t>(
                     crc32(0, reinterpret_cast<const Bytef *>(body.data()), body.size())));
}

}  // namespace

bool write_png(const std::string &path, int width, int height, int channels,
               const std::vector<unsigned char> &pixels)
{
    if (width <= 0 || height <= 0 || (channels != 3 && channels != 4) ||
        pixels.size() != static_cast<size_t>(width) * height * channels)
        return false;
    const size_t row = static_cast<size_t>(width) * channels;
    std::string raw;
    raw.reserve((row + 1) * height);
    for (int y = 0; y < height; y++) {
        raw += '\0';  // no filter
        raw.append(reinterpret_cast<const char *>(pixels.data()) + y * row, row);
    }
    uLongf packed_size = compressBound(raw.size());
    std::string packed(packed_size, '\0');
    if (compress2(reinterpret_cast<Bytef *>(packed.data()), &packed_size,
                  reinterpret_cast<const Bytef *>(raw.data()), raw.size(), 9) != Z_OK)
        return false;
    packed.resize(packed_size);

    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    put_u32(header, width);
    put_u32(header, height);
    header += '\x08';                                      // 8 bits a component
    header += channels == 4 ? '\x06' : '\x02';             // RGBA or RGB
    header += std::string("\x00\x00\x00", 3);              // deflate, no filter, no interlace
    put_chunk(png, "IHDR", header);
    put_chunk(png, "IDAT", packed);
    put_chunk(png, "IEND", "");
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << png;
    out.close();
    return static_cast<bool>(out);
}
