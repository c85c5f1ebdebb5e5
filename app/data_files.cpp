#include "app/data_files.h"

#include "platform/files.h"

#include <allegro.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
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

// Reads a regular file whole: nullptr, or why not. A file of more than `most` bytes is
// refused with `too_large` before anything is read.
const char *read_whole_file(const char *path, std::vector<unsigned char> &bytes, uint64_t most,
                            const char *too_large)
{
    long long size = 0;
    FILE *file = open_regular_file(path, &size);
    if (!file)
        return "missing or unreadable";
    if (static_cast<uint64_t>(size) > most) {
        std::fclose(file);
        return too_large;
    }
    bytes.resize(static_cast<size_t>(size));
    size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
    bool ok = got == bytes.size() && !std::ferror(file);
    std::fclose(file);
    return ok ? nullptr : "missing or unreadable";
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

// Nested datafiles deeper than this are refused rather than followed.
constexpr int max_nesting = 8;

// Far beyond any font file: an object that unpacks to more is refused rather than unpacked.
constexpr size_t most_bytes = 64u << 20;

// Kinds of glyph in a font's range: one bit a pixel, or bitmaps of a colour depth. The
// loader gives the whole font the drawing routines of its last range's kind, so a font whose
// ranges are of both kinds would have one kind's glyphs drawn as the other's.
enum class Glyphs { none, one_colour, colour };

// The glyph ranges of a font object in the library's current font format.
const char *ranges_problem(Reader &in)
{
    const unsigned ranges = in.be16();
    if (in.short_read())
        return "its font is cut short";
    if (ranges == 0)
        return "its font has no characters";
    Glyphs font_kind = Glyphs::none;
    for (unsigned r = 0; r < ranges; r++) {
        const unsigned kind = in.byte();  // 1 or 255: one colour; else the glyphs' depth
        const int32_t begin = in.be32();
        const int32_t last = in.be32();
        if (in.short_read())
            return "its font is cut short";
        if (begin < 0 || last < begin || last > 0x10FFFF)
            return "its font has a character range that makes no sense";
        int bytes_per_pixel;
        // Colour glyphs are stored as the datafile stores bitmaps: 32-bit ones as red, green
        // and blue, with no fourth byte. Depth 0 is how older fonts said 8.
        switch (kind) {
        case 1:
        case 255: bytes_per_pixel = 0; break;  // one bit a pixel, rows rounded up to bytes
        case 0:
        case 8: bytes_per_pixel = 1; break;
        case 15:
        case 16: bytes_per_pixel = 2; break;
        case 24:
        case 32: bytes_per_pixel = 3; break;
        default: return "its font has glyphs of an unknown kind";
        }
        const Glyphs range_kind = bytes_per_pixel == 0 ? Glyphs::one_colour : Glyphs::colour;
        if (font_kind != Glyphs::none && range_kind != font_kind)
            return "its font mixes one-colour and colour glyphs, which the library cannot draw";
        font_kind = range_kind;
        for (int64_t c = begin; c <= last; c++) {
            const uint64_t w = in.be16();
            const uint64_t h = in.be16();
            const uint64_t size = bytes_per_pixel == 0 ? (w + 7) / 8 * h : w * h * bytes_per_pixel;
            if (in.short_read() || !in.skip(size))
                return "its font is cut short";
            // The library draws a one-colour glyph pixel by pixel until it has drawn its
            // width: one of no width but some height it would draw without end, over
            // whatever memory follows the row (found by fuzzing).
            if (bytes_per_pixel == 0 && w == 0 && h > 0)
                return "its font has a glyph of no width, which the library cannot draw";
        }
    }
    return nullptr;
}

// A font object. It starts with the height of the old fixed-size format (fixed 8-pixel-wide
// glyphs), -1 for the old proportional format (8-bit glyph bitmaps), or 0 for the current one.
const char *font_problem(Reader in)
{
    constexpr int old_font_characters = 224;  // character 32 to 255
    const int height = static_cast<int16_t>(in.be16());
    if (in.short_read())
        return "its font is cut short";
    if (height == 0)
        return ranges_problem(in);
    if (height > 0) {
        if (!in.skip(uint64_t(old_font_characters) * static_cast<unsigned>(height)))
            return "its font is cut short";
        return nullptr;
    }
    // Proportional: 224 glyphs, each a width, a height and a byte a pixel. The loader means to
    // make blank the glyphs of an object that ends early, but only sees the end once it has
    // read past it: it would then take a glyph's size from nothing (found by fuzzing).
    for (int c = 0; c < old_font_characters; c++) {
        const uint64_t w = in.be16();
        const uint64_t h = in.be16();
        if (in.short_read() || !in.skip(w * h))
            return "its font is cut short";
    }
    return nullptr;
}

// A picture object (also what a compiled sprite is stored as): its depth, its size and every
// pixel. The loader makes a bitmap of the size it reads and trusts the depth; a size beyond
// the bytes there would make it ask for more memory than a number holds.
const char *picture_object_problem(Reader in)
{
    const int bits = static_cast<int16_t>(in.be16());
    const uint64_t w = in.be16();
    const uint64_t h = in.be16();
    if (in.short_read())
        return "it holds a picture that is cut short";
    uint64_t bytes_per_pixel;
    switch (bits) {
    case 8: bytes_per_pixel = 1; break;
    case 15:
    case 16: bytes_per_pixel = 2; break;
    case 24:
    case 32: bytes_per_pixel = 3; break;
    case -32: bytes_per_pixel = 4; break;  // with alpha
    default: return "it holds a picture of a kind the game does not read";
    }
    if (w == 0 || h == 0)
        return "it holds a picture with no pixels";
    if (!in.skip(w * h * bytes_per_pixel))
        return "it holds a picture that is cut short";
    return nullptr;
}

// A sound sample: its bits (negative for stereo), its rate, its length and every sound.
const char *sample_problem(Reader in)
{
    const int bits = static_cast<int16_t>(in.be16());
    in.be16();  // rate
    const uint64_t length = static_cast<uint32_t>(in.be32());
    if (in.short_read())
        return "it holds a sound that is cut short";
    if (bits != 8 && bits != -8 && bits != 16 && bits != -16)
        return "it holds a sound of a kind the library does not read";
    const uint64_t channels = bits < 0 ? 2 : 1;
    const uint64_t bytes = bits == 8 || bits == -8 ? 1 : 2;
    if (!in.skip(length * channels * bytes))
        return "it holds a sound that is cut short";
    return nullptr;
}

// Music: its timing, then the length and bytes of each of its 32 tracks.
const char *music_problem(Reader in)
{
    in.be16();  // divisions
    for (int track = 0; track < 32; track++) {
        const int32_t length = in.be32();
        if (in.short_read() || (length > 0 && !in.skip(static_cast<uint64_t>(length))))
            return "it holds music that is cut short";
    }
    return nullptr;
}

// Unpacks an object packed on its own, as the loader does, reading from where the object
// starts until `size` bytes come out; how far it read is where the next object starts. The
// library's unpacker keeps the last 4096 bytes in a window that starts as zeros except for
// its last 18 bytes, which it leaves as memory happens to be: a repeat from those before
// anything is written there gives bytes no check can know (found by fuzzing), so it is
// refused. Otherwise this gives exactly what the library's unpacker gives.
class PackedObject {
public:
    // Why the loader would not read exactly the bytes given here, or nullptr. A whole file
    // packed is unpacked to its end (`size` is then the most there may be).
    const char *unpack(const unsigned char *from, size_t available, size_t size,
                       bool whole_file = false)
    {
        constexpr unsigned window = 4096, longest = 18, shortest = 3;
        std::vector<unsigned char> seen(window, 0);  // 1 where the window's byte is known
        std::fill(seen.begin(), seen.end() - longest, 1);
        std::vector<unsigned char> text(window, 0);
        unsigned at = window - longest;
        bytes.clear();
        bytes.reserve(size);
        Reader in(from, available);
        auto put = [&](unsigned char c) {
            text[at] = c;
            seen[at] = 1;
            at = (at + 1) % window;
            bytes.push_back(c);
        };
        unsigned flags = 0;
        while (bytes.size() < size) {
            // The loader asks for the bytes in pieces of its buffer size, and stops asking
            // once what it reads from has ended, even where a repeat it has read could still
            // give more: a piece that ends so cuts the object short.
            if (bytes.size() % F_BUF_SIZE == 0 && !bytes.empty() && in.left() == 0)
                return ended(whole_file);
            if (((flags >>= 1) & 256) == 0) {
                flags = in.byte() | 0xFF00;
                if (in.short_read())
                    return ended(whole_file);
            }
            if (flags & 1) {
                const unsigned char c = static_cast<unsigned char>(in.byte());
                if (in.short_read())
                    return ended(whole_file);
                put(c);
                continue;
            }
            const unsigned low = in.byte();
            const unsigned high = in.byte();
            if (in.short_read())
                return ended(whole_file);
            const unsigned from_at = low | ((high & 0xF0) << 4);
            const unsigned length = (high & 0x0F) + shortest;
            for (unsigned k = 0; k < length && bytes.size() < size; k++) {
                const unsigned pos = (from_at + k) % window;
                if (!seen[pos])
                    return "it holds a packed object that repeats bytes it never wrote";
                put(text[pos]);
            }
        }
        used_ = available - in.left();
        return whole_file ? "it is far too large for a font" : nullptr;
    }
    size_t used() const { return used_; }
    std::vector<unsigned char> bytes;

private:
    // Where the packed bytes end: the end of a whole file, or an object cut short.
    static const char *ended(bool whole_file) { return whole_file ? nullptr : "it is cut short"; }
    size_t used_ = 0;
};

const char *objects_problem(Reader &in, int depth, bool font_first);

// One object's bytes, checked as its kind's loader reads them.
const char *object_problem(int32_t type, Reader inside, int depth)
{
    if (type == font_id)  // every font is loaded, not only the first: each must be sound
        return font_problem(inside);
    if (type == id('B', 'M', 'P', ' ') || type == id('C', 'M', 'P', ' ') ||
        type == id('X', 'C', 'M', 'P'))
        return picture_object_problem(inside);
    if (type == id('S', 'A', 'M', 'P'))
        return sample_problem(inside);
    if (type == id('M', 'I', 'D', 'I'))
        return music_problem(inside);
    // The loader unpacks a run-length sprite into a buffer of the size the object gives,
    // trusting every run to fit in it and in its lines: it would have to be checked run by
    // run, as pictures are, and a font file has no need of one.
    if (type == id('R', 'L', 'E', ' '))
        return "it holds a run-length sprite, which a font file does not need";
    if (type == nested_file_id) {
        if (depth >= max_nesting)
            return "it nests datafiles too deep";
        return objects_problem(inside, depth + 1, false);
    }
    // Anything else (palettes, sound patches and animations among them) is kept as the
    // bytes it is: nothing is built from them at loading.
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
        if (font_first && i == 0 && type != font_id)
            return "its first object is not a font";
        in.be32();  // the size as stored, which the loader does not go by
        // The size unpacked: what the loader reads. Negative for an object packed on its own.
        const int32_t size = in.be32();
        if (in.short_read())
            return "it is cut short";
        if (size >= 0) {
            Reader inside(in.here(), std::min(in.left(), static_cast<size_t>(size)));
            if (!in.skip(static_cast<uint64_t>(size)))
                return "it is cut short";
            if (const char *why = object_problem(type, inside, depth))
                return why;
            continue;
        }
        const uint64_t unpacked = uint64_t(-int64_t(size));
        if (unpacked > most_bytes)
            return "it is far too large for a font";
        PackedObject object;
        if (const char *why = object.unpack(in.here(), in.left(), static_cast<size_t>(unpacked)))
            return why;
        in.skip(object.used());
        if (const char *why = object_problem(type, Reader(object.bytes.data(), object.bytes.size()), depth))
            return why;
    }
    return nullptr;
}

}  // namespace

namespace {

// The 18-byte header of a TGA picture.
struct TgaHeader {
    unsigned id_length, palette_type, image_type, palette_colours, palette_entry_bits;
    unsigned width, height, bits;
};

TgaHeader read_tga_header(Reader &in)
{
    TgaHeader h{};
    h.id_length = in.byte();
    h.palette_type = in.byte();
    h.image_type = in.byte();
    in.le16();  // first palette entry
    h.palette_colours = in.le16();
    h.palette_entry_bits = in.byte();
    in.le16();  // left
    in.le16();  // top
    h.width = in.le16();
    h.height = in.le16();
    h.bits = in.byte();
    in.byte();  // descriptor
    return h;
}

// Why the header describes no picture the library reads, or nullptr.
const char *tga_header_problem(const TgaHeader &h)
{
    switch (h.image_type & 7) {
    case 1:  // colour-mapped, one byte a pixel
        // The library reads a colour map into room for 256 entries without looking at the
        // count, and reads entries of 16, 24 or 32 bits only: for 15-bit ones it reads
        // nothing and would take the map for pixels.
        if (h.palette_type != 1 || h.bits != 8 || h.palette_colours == 0 ||
            h.palette_colours > 256 ||
            (h.palette_entry_bits != 16 && h.palette_entry_bits != 24 &&
             h.palette_entry_bits != 32))
            return "it is not a TGA picture the game can read";
        break;
    case 2:  // true colour
        // A true-colour picture that carries a colour map is one the library refuses (it
        // loads no picture from it), so it is refused here, by name, first.
        if (h.palette_type != 0 || (h.bits != 15 && h.bits != 16 && h.bits != 24 && h.bits != 32))
            return "it is not a TGA picture the game can read";
        break;
    case 3:  // grey
        if (h.palette_type != 0 || h.bits != 8)
            return "it is not a TGA picture the game can read";
        break;
    default:
        return "it is not a TGA picture";
    }
    if (h.image_type & ~0x0Bu)
        return "it is not a TGA picture";
    if (h.width == 0 || h.height == 0)
        return "the picture has no pixels";
    return nullptr;
}

// The pixels of a run-length picture, packet by packet. The library unpacks runs a line at a
// time into a buffer one line long: a run that crosses the end of a line would write past it.
const char *tga_runs_problem(Reader &in, const TgaHeader &h, uint64_t pixel_bytes)
{
    for (unsigned y = 0; y < h.height; y++) {
        unsigned x = 0;
        while (x < h.width) {
            const unsigned packet = in.byte();
            const unsigned n = (packet & 0x7F) + 1;
            if (in.short_read())
                return "it is cut short: pixels are missing";
            if (x + n > h.width)
                return "a run of pixels crosses the end of a line";
            if (!in.skip((packet & 0x80) ? pixel_bytes : n * pixel_bytes))
                return "it is cut short: pixels are missing";
            x += n;
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
    const TgaHeader h = read_tga_header(in);
    if (in.short_read())
        return "it is too short to be a TGA picture";
    if (const char *why = tga_header_problem(h))
        return why;

    in.skip(h.id_length);
    if (h.palette_type == 1)
        in.skip(uint64_t(h.palette_colours) * ((h.palette_entry_bits + 7) / 8));
    if (in.short_read())
        return "it is cut short";

    const uint64_t pixel_bytes = (h.bits + 7) / 8;
    if (h.image_type >= 8)
        return tga_runs_problem(in, h, pixel_bytes);
    if (!in.skip(uint64_t(h.width) * h.height * pixel_bytes))
        return "it is cut short: pixels are missing";
    return nullptr;
}

const char *tga_file_problem(const char *path)
{
    std::vector<unsigned char> bytes;
    if (const char *why =
            read_whole_file(path, bytes, most_picture_bytes, "it is far too large for a picture"))
        return why;
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
    const FileFacts facts = file_facts(path);
    if (!facts.regular)
        return "missing or unreadable";
    if (facts.size == 0)
        return "the file is empty";
    std::vector<unsigned char> file;
    if (const char *why = read_whole_file(path, file, most_bytes, "it is far too large for a font"))
        return why;
    // The library reads a file that starts with its mark of a plain file as it is, undoes
    // the packing of one that starts with its mark of a packed file, and refuses others.
    if (file.size() < 4 || file[0] != 's' || file[1] != 'l' || file[2] != 'h' ||
        (file[3] != '.' && file[3] != '!'))
        return "it is not a datafile";
    if (file[3] == '.')
        return font_datafile_problem(file.data() + 4, file.size() - 4);
    PackedObject unpacked;
    if (const char *why = unpacked.unpack(file.data() + 4, file.size() - 4, most_bytes, true))
        return why;
    return font_datafile_problem(unpacked.bytes.data(), unpacked.bytes.size());
}
