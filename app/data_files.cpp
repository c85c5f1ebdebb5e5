#include "app/data_files.h"

#include <allegro.h>

#include <cstdint>
#include <cstdio>
#include <sys/stat.h>
#include <vector>

namespace {

// Bytes read one field at a time, never past the end; a read past it marks the reader short.
class Reader {
public:
    Reader(const unsigned char *bytes, size_t size) : at_(bytes), left_(size) {}

    bool short_read() const { return short_; }
    size_t left() const { return left_; }
    const unsigned char *here() const { return at_; }

    unsigned byte()
    {
        if (left_ < 1) {
            short_ = true;
            return 0;
        }
        left_--;
        return *at_++;
    }
    // Big-endian, as the library's datafiles store numbers. (Each byte is read in its own
    // statement: the operands of | may be evaluated in either order.)
    unsigned be16()
    {
        const unsigned high = byte();
        return (high << 8) | byte();
    }
    int32_t be32()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; i++)
            v = (v << 8) | byte();
        return static_cast<int32_t>(v);
    }
    // Little-endian, as TGA headers store them.
    unsigned le16()
    {
        const unsigned low = byte();
        return low | (byte() << 8);
    }

    bool skip(uint64_t n)
    {
        if (n > left_) {
            short_ = true;
            at_ += left_;
            left_ = 0;
            return false;
        }
        at_ += n;
        left_ -= n;
        return true;
    }

private:
    const unsigned char *at_;
    size_t left_;
    bool short_ = false;
};

bool read_whole_file(const char *path, std::vector<unsigned char> &bytes)
{
    struct stat info;
    if (stat(path, &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    FILE *file = std::fopen(path, "rb");
    if (!file)
        return false;
    bytes.resize(static_cast<size_t>(info.st_size));
    size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    bool ok = got == bytes.size() && !std::ferror(file);
    std::fclose(file);
    return ok;
}

constexpr int32_t id(char a, char b, char c, char d)
{
    return static_cast<int32_t>((uint32_t(uint8_t(a)) << 24) | (uint32_t(uint8_t(b)) << 16) |
                                (uint32_t(uint8_t(c)) << 8) | uint32_t(uint8_t(d)));
}

// The library's datafile identifiers, spelled out so the checks do not depend on its macros.
constexpr int32_t datafile_magic = id('A', 'L', 'L', '.');
constexpr int32_t property_id = id('p', 'r', 'o', 'p');
constexpr int32_t nested_file_id = id('F', 'I', 'L', 'E');
constexpr int32_t font_id = id('F', 'O', 'N', 'T');

// Kinds of object the library's loader builds from their bytes (pictures, sounds, palettes):
// it trusts the sizes they hold, so a broken one can crash it. A font file has no need of
// them; they are refused rather than checked. Objects of other kinds are loaded as plain bytes.
bool built_by_the_loader(int32_t type)
{
    static constexpr int32_t kinds[] = {
        id('S', 'A', 'M', 'P'), id('M', 'I', 'D', 'I'), id('P', 'A', 'T', ' '),
        id('F', 'L', 'I', 'C'), id('B', 'M', 'P', ' '), id('R', 'L', 'E', ' '),
        id('C', 'M', 'P', ' '), id('X', 'C', 'M', 'P'), id('P', 'A', 'L', ' ')};
    for (int32_t kind : kinds)
        if (type == kind)
            return true;
    return false;
}

// Nested datafiles deeper than this are refused rather than followed.
constexpr int max_nesting = 8;

// The glyph ranges of a font object in the library's current font format.
const char *font_problem(Reader in)
{
    if (in.be16() != 0)
        return "its font is in an old format the game does not read";
    const unsigned ranges = in.be16();
    if (in.short_read())
        return "its font is cut short";
    if (ranges == 0)
        return "its font has no characters";
    for (unsigned r = 0; r < ranges; r++) {
        const unsigned kind = in.byte();  // 1: one colour; else the depth of colour glyphs
        const int32_t begin = in.be32();
        const int32_t last = in.be32();
        if (in.short_read())
            return "its font is cut short";
        if (begin < 0 || last < begin || last > 0x10FFFF)
            return "its font has a character range that makes no sense";
        int bytes_per_pixel;
        // Colour glyphs are stored as the datafile stores bitmaps: 32-bit ones as red, green
        // and blue, with no fourth byte.
        switch (kind) {
        case 1: bytes_per_pixel = 0; break;  // one bit a pixel, rows rounded up to bytes
        case 8: bytes_per_pixel = 1; break;
        case 15:
        case 16: bytes_per_pixel = 2; break;
        case 24:
        case 32: bytes_per_pixel = 3; break;
        default: return "its font has glyphs of an unknown kind";
        }
        for (int64_t c = begin; c <= last; c++) {
            const uint64_t w = in.be16();
            const uint64_t h = in.be16();
            const uint64_t size = bytes_per_pixel == 0 ? (w + 7) / 8 * h : w * h * bytes_per_pixel;
            if (in.short_read() || !in.skip(size))
                return "its font is cut short";
        }
    }
    return nullptr;
}

// The objects of one datafile level: `count` objects, each after its properties.
const char *objects_problem(Reader &in, int depth, bool font_first)
{
    const int32_t count = in.be32();
    if (in.short_read())
        return "it is cut short";
    if (count < 0)
        return "it is not a datafile";
    if (font_first && count == 0)
        return "it holds no objects, so no font";
    for (int32_t i = 0; i < count; i++) {
        int32_t type = in.be32();
        while (!in.short_read() && type == property_id) {
            in.be32();  // the property's own type
            const int32_t size = in.be32();
            if (size < 0)
                return "it is not a datafile";
            in.skip(static_cast<uint64_t>(size));
            type = in.be32();
        }
        // The library keeps its table of object loaders with -1 marking the free entries: an
        // object of type -1 would be handed to a loader that does not exist.
        if (type == -1)
            return "it is not a datafile";
        in.be32();  // the object's unpacked size
        const int32_t stored_size = in.be32();
        if (in.short_read())
            return "it is cut short";
        if (stored_size < 0)
            return "it holds compressed objects, which the game does not read";
        Reader object(in.here(), in.left());
        if (!in.skip(static_cast<uint64_t>(stored_size)))
            return "it is cut short";
        Reader inside(object.here(), static_cast<size_t>(stored_size));
        if (font_first && i == 0 && type != font_id)
            return "its first object is not a font";
        if (type == font_id) {
            // Every font is loaded, not only the first: each must be sound.
            if (const char *why = font_problem(inside))
                return why;
        } else if (built_by_the_loader(type)) {
            return "it holds pictures, sounds or palettes, which a font file does not need";
        } else if (type == nested_file_id) {
            if (depth >= max_nesting)
                return "it nests datafiles too deep";
            if (const char *why = objects_problem(inside, depth + 1, false))
                return why;
        }
    }
    return nullptr;
}

}  // namespace

const char *tga_problem(const unsigned char *bytes, size_t size)
{
    if (size == 0)
        return "the file is empty";
    Reader in(bytes, size);
    const unsigned id_length = in.byte();
    const unsigned palette_type = in.byte();
    const unsigned image_type = in.byte();
    in.le16();  // first palette entry
    const unsigned palette_colours = in.le16();
    const unsigned palette_entry_bits = in.byte();
    in.le16();  // left
    in.le16();  // top
    const unsigned width = in.le16();
    const unsigned height = in.le16();
    const unsigned bits = in.byte();
    in.byte();  // descriptor
    if (in.short_read())
        return "it is too short to be a TGA picture";

    const bool run_length = image_type >= 8;
    switch (image_type & 7) {
    case 1:  // colour-mapped, one byte a pixel
        if (palette_type != 1 || bits != 8 || palette_colours == 0 || palette_colours > 256 ||
            (palette_entry_bits != 15 && palette_entry_bits != 16 && palette_entry_bits != 24 &&
             palette_entry_bits != 32))
            return "it is not a TGA picture the game can read";
        break;
    case 2:  // true colour
        if (palette_type != 0 || (bits != 15 && bits != 16 && bits != 24 && bits != 32))
            return "it is not a TGA picture the game can read";
        break;
    case 3:  // grey
        if (palette_type != 0 || bits != 8)
            return "it is not a TGA picture the game can read";
        break;
    default:
        return "it is not a TGA picture";
    }
    if (image_type & ~0x0Bu)
        return "it is not a TGA picture";
    if (width == 0 || height == 0)
        return "the picture has no pixels";

    in.skip(id_length);
    if (palette_type == 1)
        in.skip(uint64_t(palette_colours) * ((palette_entry_bits + 7) / 8));
    if (in.short_read())
        return "it is cut short";

    const uint64_t pixel_bytes = (bits + 7) / 8;
    if (!run_length) {
        if (!in.skip(uint64_t(width) * height * pixel_bytes))
            return "it is cut short: pixels are missing";
        return nullptr;
    }
    // The library unpacks runs a line at a time into a buffer one line long: a run that
    // crosses the end of a line would write past it.
    for (unsigned y = 0; y < height; y++) {
        unsigned x = 0;
        while (x < width) {
            const unsigned packet = in.byte();
            const unsigned n = (packet & 0x7F) + 1;
            if (in.short_read())
                return "it is cut short: pixels are missing";
            if (x + n > width)
                return "a run of pixels crosses the end of a line";
            if (!in.skip((packet & 0x80) ? pixel_bytes : n * pixel_bytes))
                return "it is cut short: pixels are missing";
            x += n;
        }
    }
    return nullptr;
}

const char *tga_file_problem(const char *path)
{
    std::vector<unsigned char> bytes;
    if (!read_whole_file(path, bytes))
        return "missing or unreadable";
    return tga_problem(bytes.data(), bytes.size());
}

const char *font_datafile_problem(const unsigned char *bytes, size_t size)
{
    Reader in(bytes, size);
    if (in.be32() != datafile_magic || in.short_read())
        return "it is not a datafile";
    return objects_problem(in, 0, true);
}

const char *font_datafile_file_problem(const char *path)
{
    struct stat info;
    if (stat(path, &info) != 0 || !S_ISREG(info.st_mode))
        return "missing or unreadable";
    if (info.st_size == 0)
        return "the file is empty";
    // The library's packed reading undoes a whole-file packing, and refuses a file that
    // starts with neither of its two datafile marks.
    PACKFILE *file = pack_fopen(path, F_READ_PACKED);
    if (!file)
        return "it is not a datafile";
    std::vector<unsigned char> bytes;
    constexpr size_t most = 64u << 20;  // far beyond any font; stops a runaway unpacking
    unsigned char block[65536];
    long got;
    while ((got = pack_fread(block, sizeof block, file)) > 0 && bytes.size() < most)
        bytes.insert(bytes.end(), block, block + got);
    pack_fclose(file);
    if (bytes.size() >= most)
        return "it is far too large for a font";
    return font_datafile_problem(bytes.data(), bytes.size());
}
