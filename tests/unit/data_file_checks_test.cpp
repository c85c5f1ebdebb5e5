// The checks made on the pictures and the font file before the library loads them: whole
// files pass, files cut short anywhere or of another kind are refused with a reason.
#include <gtest/gtest.h>

#include <allegro.h>

#include <algorithm>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/data_files.h"
#include "support/datafiles.h"
#include "support/files.h"

namespace {

using namespace datafile_bytes;

const char *datafile_problem(const Bytes &file)
{
    // The in-memory check takes what follows the packing mark.
    return font_datafile_problem(file.data() + 4, file.size() - 4);
}

// A TGA file written by the library itself, of the given depth.
Bytes saved_tga(int depth, int w, int h)
{
    TempDir dir;
    set_color_depth(depth);
    BITMAP *b = create_bitmap(w, h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            putpixel(b, x, y, makecol(x * 20, y * 30, 90));
    save_bitmap(dir.path("p.tga").c_str(), b, nullptr);
    destroy_bitmap(b);
    return read_file(dir.path("p.tga"));
}

Bytes tga_header(int type, int w, int h, int bits)
{
    return Bytes{0, 0, static_cast<unsigned char>(type), 0, 0, 0, 0, 0, 0, 0, 0, 0,
                 static_cast<unsigned char>(w & 0xFF), static_cast<unsigned char>(w >> 8),
                 static_cast<unsigned char>(h & 0xFF), static_cast<unsigned char>(h >> 8),
                 static_cast<unsigned char>(bits), 0x20};
}

TEST(PictureCheck, WholePicturesPassAndEveryShorterCutIsRefused)
{
    for (int depth : {24, 32}) {
        const Bytes whole = saved_tga(depth, 7, 5);
        ASSERT_EQ(tga_problem(whole.data(), whole.size()), nullptr) << depth;
        for (size_t n = 0; n < whole.size(); n++)
            EXPECT_NE(tga_problem(whole.data(), n), nullptr) << depth << " bits, " << n << " bytes";
        Bytes longer = whole;
        longer.insert(longer.end(), 100, 0xAB);  // what follows the pixels is not read
        EXPECT_EQ(tga_problem(longer.data(), longer.size()), nullptr);
    }
}

TEST(PictureCheck, OtherKindsOfFileAreRefused)
{
    const std::string text = "This is a text file, not a picture.\n";
    EXPECT_NE(tga_problem(reinterpret_cast<const unsigned char *>(text.data()), text.size()),
              nullptr);
    EXPECT_NE(tga_problem(tga_header(2, 0, 5, 32).data(), 18), nullptr) << "no pixels";
    EXPECT_NE(tga_problem(tga_header(2, 4, 4, 12).data(), 18), nullptr) << "12 bits a pixel";
    EXPECT_NE(tga_problem(tga_header(4, 4, 4, 32).data(), 18), nullptr) << "no such kind";
    Bytes grey = tga_header(3, 2, 2, 8);
    grey.insert(grey.end(), {1, 2, 3, 4});
    EXPECT_EQ(tga_problem(grey.data(), grey.size()), nullptr);
    grey[1] = 1;  // a palette on a grey picture
    EXPECT_NE(tga_problem(grey.data(), grey.size()), nullptr);

    // Colour-mapped, 2 x 1, a map of two entries of `entry_bits`: the library reads maps of
    // 16, 24 and 32 bits, and none of 15 (it would take the map for pixels).
    for (int entry_bits : {15, 16, 24, 32}) {
        Bytes mapped = tga_header(1, 2, 1, 8);
        mapped[1] = 1;
        mapped[5] = 2;  // two entries
        mapped[7] = static_cast<unsigned char>(entry_bits);
        mapped.insert(mapped.end(), 2 * ((entry_bits + 7) / 8), 0x55);
        mapped.insert(mapped.end(), {0, 1});
        if (entry_bits == 15) {
            EXPECT_NE(tga_problem(mapped.data(), mapped.size()), nullptr);
            continue;
        }
        ASSERT_EQ(tga_problem(mapped.data(), mapped.size()), nullptr) << entry_bits;
        TempDir dir;
        write_file(dir.path("m.tga"), mapped);
        set_color_depth(16);
        BITMAP *b = load_bitmap(dir.path("m.tga").c_str(), nullptr);
        ASSERT_NE(b, nullptr) << entry_bits;
        destroy_bitmap(b);
    }
    // A true-colour picture with a colour map: the library loads nothing from it.
    Bytes true_colour_mapped = tga_header(2, 1, 1, 24);
    true_colour_mapped[1] = 1;
    true_colour_mapped[5] = 1;
    true_colour_mapped[7] = 24;
    true_colour_mapped.insert(true_colour_mapped.end(), {1, 2, 3, 4, 5, 6});
    EXPECT_NE(tga_problem(true_colour_mapped.data(), true_colour_mapped.size()), nullptr);
    TempDir dir;
    write_file(dir.path("t.tga"), true_colour_mapped);
    EXPECT_EQ(load_bitmap(dir.path("t.tga").c_str(), nullptr), nullptr);
}

TEST(PictureCheck, RunLengthPicturesAreFollowedRunByRun)
{
    // 3 x 2, 32 bits: a run of 3 for the first line, 3 single pixels for the second.
    Bytes rle = tga_header(10, 3, 2, 32);
    rle.insert(rle.end(), {0x82, 1, 2, 3, 4});
    rle.insert(rle.end(), {0x02, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3});
    ASSERT_EQ(tga_problem(rle.data(), rle.size()), nullptr);
    for (size_t n = 18; n < rle.size(); n++)
        EXPECT_NE(tga_problem(rle.data(), n), nullptr) << n;

    // The library unpacks a line at a time: a run over the end of a line would overflow it.
    Bytes crossing = tga_header(10, 3, 2, 32);
    crossing.insert(crossing.end(), {0x85, 1, 2, 3, 4});
    EXPECT_STREQ(tga_problem(crossing.data(), crossing.size()),
                 "a run of pixels crosses the end of a line");

    // The library reads what passes.
    TempDir dir;
    write_file(dir.path("rle.tga"), rle);
    set_color_depth(32);
    BITMAP *b = load_bitmap(dir.path("rle.tga").c_str(), nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->w, 3);
    EXPECT_EQ(b->h, 2);
    destroy_bitmap(b);
}

TEST(PictureCheck, FilesThatCannotBeReadSaySo)
{
    TempDir dir;
    EXPECT_STREQ(tga_file_problem(dir.path("none.tga").c_str()), "missing or unreadable");
    EXPECT_STREQ(tga_file_problem(dir.path().c_str()), "missing or unreadable");
    write_file(dir.path("empty.tga"), {});
    EXPECT_STREQ(tga_file_problem(dir.path("empty.tga").c_str()), "the file is empty");

    // Files of zeros with no blocks behind them: the largest allowed is read (and is no
    // picture); one byte more is refused before anything is read.
    const std::string large = dir.path("large.tga");
    write_file(large, {});
    ASSERT_EQ(truncate(large.c_str(), static_cast<off_t>(most_picture_bytes)), 0);
    EXPECT_STREQ(tga_file_problem(large.c_str()), "it is not a TGA picture");
    ASSERT_EQ(truncate(large.c_str(), static_cast<off_t>(most_picture_bytes + 1)), 0);
    EXPECT_STREQ(tga_file_problem(large.c_str()), "it is far too large for a picture");
}

TEST(FontFileCheck, AFontFirstPassesAndTheLibraryReadsIt)
{
    TempDir dir;
    Bytes props;  // a name property before the font, as the datafile tool writes them
    put_id(props, "prop");
    put_id(props, "NAME");
    put_be32(props, 4);
    put_id(props, "FONT");
    Bytes file = datafile({{"FONT", font_object(32, 126, 9, 13)}, {"DATA", Bytes(10, 7)}});
    file.insert(file.begin() + 12, props.begin(), props.end());
    ASSERT_EQ(datafile_problem(file), nullptr);
    write_file(dir.path("font.dat"), file);
    ASSERT_EQ(font_datafile_file_problem(dir.path("font.dat").c_str()), nullptr);

    DATAFILE *loaded = load_datafile(dir.path("font.dat").c_str());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded[0].type, DAT_FONT);
    EXPECT_EQ(text_height(static_cast<FONT *>(loaded[0].dat)), 13);
    unload_datafile(loaded);
}

TEST(FontFileCheck, OtherContentsAreRefusedWithAReason)
{
    EXPECT_STREQ(datafile_problem(datafile({{"DATA", Bytes(30, 1)}, {"FONT", font_object(65, 65, 8, 8)}})),
                 "its first object is not a font");
    EXPECT_STREQ(datafile_problem(datafile({})), "it holds no objects, so no font");

    Bytes glyph_range_backwards = font_object(70, 65, 8, 8);
    EXPECT_NE(datafile_problem(datafile({{"FONT", glyph_range_backwards}})), nullptr);

    // A font object whose glyphs run past its end, in a file that goes on after it.
    Bytes font = font_object(65, 66, 8, 8);
    font.resize(font.size() - 3);
    EXPECT_STREQ(datafile_problem(datafile({{"FONT", font}, {"DATA", Bytes(20, 0)}})),
                 "its font is cut short");

    Bytes old_format = font_object(65, 65, 8, 8);
    old_format[1] = 8;  // a height: the old fixed-size format
    EXPECT_NE(datafile_problem(datafile({{"FONT", old_format}})), nullptr);

    // A nested datafile is followed inside; one that is cut short is refused.
    Bytes nested;  // a count and the objects, with no mark of its own
    put_be32(nested, 1);
    put_object(nested, "DATA", Bytes(8, 1));
    EXPECT_EQ(datafile_problem(datafile({{"FONT", font_object(65, 65, 8, 8)}, {"FILE", nested}})),
              nullptr);
    nested[3] = 2;  // says two objects, holds one
    EXPECT_STREQ(
        datafile_problem(datafile({{"FONT", font_object(65, 65, 8, 8)}, {"FILE", nested}})),
        "it is cut short");
}

// A colour font of one character, 'A': its one glyph w x h in 32-bit colour, which the datafile
// stores as red, green and blue bytes.
Bytes colour_font_object(int w, int h)
{
    Bytes f;
    put_be16(f, 0);
    put_be16(f, 1);
    f.push_back(32);  // the glyphs' depth
    put_be32(f, 'A');
    put_be32(f, 'A');
    put_be16(f, w);
    put_be16(f, h);
    for (int i = 0; i < w * h; i++)
        f.insert(f.end(), {static_cast<unsigned char>(10 * i), 200, 30});
    return f;
}

TEST(FontFileCheck, ColourFontsPassAndTheLibraryReadsThemTheSameWay)
{
    TempDir dir;
    const Bytes file = datafile({{"FONT", colour_font_object(4, 3)}});
    ASSERT_EQ(datafile_problem(file), nullptr);
    write_file(dir.path("colour.dat"), file);
    set_color_depth(32);  // colour glyphs are converted to the depth set when they load
    set_color_conversion(COLORCONV_TOTAL);
    DATAFILE *loaded = load_datafile(dir.path("colour.dat").c_str());
    ASSERT_NE(loaded, nullptr);
    FONT *f = static_cast<FONT *>(loaded[0].dat);
    EXPECT_EQ(text_height(f), 3);
    // Drawn in its own colours, the glyph shows the bytes as written.
    BITMAP *b = create_bitmap_ex(32, 8, 8);
    clear_to_color(b, makecol32(0, 0, 0));
    textout_ex(b, f, "A", 0, 0, -1, -1);
    EXPECT_EQ(getr32(getpixel(b, 1, 0)), 10);
    EXPECT_EQ(getg32(getpixel(b, 3, 2)), 200);
    EXPECT_EQ(getr32(getpixel(b, 3, 2)), 110);
    EXPECT_EQ(getb32(getpixel(b, 3, 2)), 30);
    destroy_bitmap(b);
    unload_datafile(loaded);

    // Cut short by one pixel, it is refused.
    Bytes shorter = colour_font_object(4, 3);
    shorter.resize(shorter.size() - 3);
    EXPECT_STREQ(datafile_problem(datafile({{"FONT", shorter}, {"DATA", Bytes(9, 0)}})),
                 "its font is cut short");
    Bytes odd_depth = colour_font_object(4, 3);
    odd_depth[4] = 7;
    EXPECT_NE(datafile_problem(datafile({{"FONT", odd_depth}})), nullptr);
}

// The loader builds every object of the file, so each must be sound: found by fuzzing, a
// broken second font made it free memory twice, and an object of type -1 made it call a
// loader that does not exist.
TEST(FontFileCheck, EveryObjectIsCheckedNotOnlyTheFirst)
{
    Bytes broken = font_object(65, 70, 8, 8);
    broken[3] = 9;  // nine ranges, where there is one
    EXPECT_NE(datafile_problem(datafile({{"FONT", font_object(65, 70, 8, 8)}, {"FONT", broken}})),
              nullptr);
    Bytes end_type = datafile({{"FONT", font_object(65, 65, 8, 8)}, {"DATA", Bytes(4, 1)}});
    const size_t second = end_type.size() - 4 - 12;
    std::fill(end_type.begin() + second, end_type.begin() + second + 4, 0xFF);
    EXPECT_STREQ(datafile_problem(end_type), "it is not a datafile");
    // Objects the loader builds are checked as it reads them: zeros are no picture or sound.
    for (const char *kind : {"BMP ", "CMP ", "SAMP", "RLE "})
        EXPECT_NE(datafile_problem(datafile({{"FONT", font_object(65, 65, 8, 8)}, {kind, Bytes(8, 0)}})),
                  nullptr)
            << kind;
    EXPECT_EQ(datafile_problem(datafile({{"FONT", font_object(65, 65, 8, 8)}, {"XYZW", Bytes(8, 0)}})),
              nullptr)
        << "other kinds are loaded as plain bytes";
}

// Objects after the font that the library builds at loading: whole ones pass and load as
// written, ones cut short or of kinds it misreads are refused.
TEST(FontFileCheck, PicturesSoundsMusicAndPalettesAfterTheFontAreCheckedAndLoad)
{
    Bytes picture;  // 3 x 2, 16 bits
    put_be16(picture, 16);
    put_be16(picture, 3);
    put_be16(picture, 2);
    for (int i = 0; i < 6; i++)
        put_be16(picture, 0x1234 * i);
    Bytes sound;  // 8 bits, mono, 5 sounds
    put_be16(sound, 8);
    put_be16(sound, 11025);
    put_be32(sound, 5);
    sound.insert(sound.end(), {1, 2, 3, 4, 5});
    Bytes music;  // one track of 3 bytes
    put_be16(music, 96);
    put_be32(music, 3);
    music.insert(music.end(), {0x90, 60, 100});
    for (int t = 1; t < 32; t++)
        put_be32(music, 0);
    const Bytes palette(768, 40);
    const Bytes file = datafile({{"FONT", font_object(32, 90, 8, 10)}, {"PAL ", palette},
                                 {"BMP ", picture}, {"CMP ", picture}, {"SAMP", sound},
                                 {"MIDI", music}});
    ASSERT_EQ(datafile_problem(file), nullptr);
    TempDir dir;
    write_file(dir.path("font.dat"), file);
    set_color_depth(16);
    DATAFILE *loaded = load_datafile(dir.path("font.dat").c_str());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(text_height(static_cast<FONT *>(loaded[0].dat)), 10);
    EXPECT_EQ(loaded[2].type, DAT_BITMAP);
    EXPECT_EQ(static_cast<BITMAP *>(loaded[2].dat)->w, 3);
    EXPECT_EQ(static_cast<SAMPLE *>(loaded[4].dat)->len, 5u);
    EXPECT_EQ(static_cast<MIDI *>(loaded[5].dat)->track[0].len, 3);
    unload_datafile(loaded);
    // Cut short anywhere, or with a size past its bytes, refused (the library's loader crashes
    // on some of these: a count of objects with none after it).
    for (size_t n = 4; n < file.size(); n++)
        EXPECT_NE(font_datafile_problem(file.data() + 4, n - 4), nullptr) << n << " bytes";
    for (Bytes *object : {&picture, &sound, &music}) {
        Bytes shorter = *object;
        shorter.pop_back();
        EXPECT_NE(datafile_problem(datafile({{"FONT", font_object(65, 65, 8, 8)},
                                              {object == &picture ? "BMP " : object == &sound ? "SAMP" : "MIDI", shorter},
                                              {"DATA", Bytes(40, 0)}})),
                  nullptr);
    }
    Bytes huge = picture;
    huge[2] = huge[4] = 0xFF;  // 65283 x 65282 pixels: more memory than a number holds
    EXPECT_STREQ(datafile_problem(datafile({{"FONT", font_object(65, 65, 8, 8)}, {"BMP ", huge}})),
                 "it holds a picture that is cut short");
}

// The loader gives a font the drawing routines of its last range: one of one-colour glyphs
// and one of colour glyphs would have one drawn as the other. And the library draws a
// one-colour glyph of no width without end.
TEST(FontFileCheck, FontsTheLibraryCannotDrawAreRefused)
{
    EXPECT_STREQ(datafile_problem(datafile({{"FONT", font_object(65, 70, 0, 9)}})),
                 "its font has a glyph of no width, which the library cannot draw");
    EXPECT_EQ(datafile_problem(datafile({{"FONT", font_object(65, 70, 0, 0)}})), nullptr)
        << "nothing at all to draw";

    Bytes mixed = colour_font_object(4, 3);
    mixed[3] = 2;  // two ranges: the colour 'A', then one-colour 'B'
    mixed.push_back(1);
    put_be32(mixed, 'B');
    put_be32(mixed, 'B');
    put_be16(mixed, 8);
    put_be16(mixed, 2);
    mixed.insert(mixed.end(), {0xFF, 0x81});
    EXPECT_STREQ(datafile_problem(datafile({{"FONT", mixed}})),
                 "its font mixes one-colour and colour glyphs, which the library cannot draw");
}

TEST(FontFileCheck, FontsInTheOldFormatsPassAndLoad)
{
    Bytes fixed;  // 224 glyphs 8 x 11, for characters 32 to 255
    put_be16(fixed, 11);
    fixed.insert(fixed.end(), 224 * 11, 0x3C);
    Bytes proportional;  // 224 glyphs of 8-bit pixels, 5 to 9 pixels high
    put_be16(proportional, 0xFFFF);
    for (int c = 0; c < 224; c++) {
        put_be16(proportional, 4);
        put_be16(proportional, 5 + c % 5);
        proportional.insert(proportional.end(), 4 * (5 + c % 5), 1);
    }
    Bytes fewer(proportional.begin(), proportional.begin() + 2 + 3 * (4 + 4 * 5));
    EXPECT_STREQ(datafile_problem(datafile({{"FONT", fewer}})), "its font is cut short")
        << "the loader would read a glyph's size past the end";
    TempDir dir;
    set_color_depth(16);
    for (const auto &[font, height] : {std::pair{fixed, 11}, std::pair{proportional, 9}}) {
        const Bytes file = datafile({{"FONT", font}});
        ASSERT_EQ(datafile_problem(file), nullptr);
        write_file(dir.path("old.dat"), file);
        DATAFILE *loaded = load_datafile(dir.path("old.dat").c_str());
        ASSERT_NE(loaded, nullptr);
        FONT *f = static_cast<FONT *>(loaded[0].dat);
        EXPECT_EQ(text_height(f), height);
        BITMAP *b = create_bitmap(64, 16);
        textout_ex(b, f, "!#", 0, 0, makecol(255, 255, 255), 0);
        destroy_bitmap(b);
        unload_datafile(loaded);
        Bytes shorter = font;
        shorter.pop_back();
        EXPECT_STREQ(datafile_problem(datafile({{"FONT", shorter}, {"DATA", Bytes(12, 0)}})),
                     "its font is cut short");
    }
}

// Objects packed one by one, as the library's tools write them: each is unpacked as the
// loader unpacks it and checked inside.
TEST(FontFileCheck, ObjectsPackedOneByOnePassAndLoad)
{
    TempDir dir;
    const std::string path = dir.path("packed.dat");
    PACKFILE *out = pack_fopen(path.c_str(), F_WRITE_NOPACK);
    ASSERT_NE(out, nullptr);
    pack_mputl(DAT_MAGIC, out);
    pack_mputl(2, out);
    const Bytes font = font_object(32, 126, 9, 14);
    const Bytes data(5000, 9);
    for (const auto &[type, bytes] : {std::pair{DAT_FONT, font}, std::pair{DAT_DATA, data}}) {
        pack_mputl(type, out);
        PACKFILE *chunk = pack_fopen_chunk(out, TRUE);
        ASSERT_NE(chunk, nullptr);
        pack_fwrite(bytes.data(), static_cast<long>(bytes.size()), chunk);
        out = pack_fclose_chunk(chunk);
    }
    pack_fclose(out);
    const Bytes file = read_file(path);
    ASSERT_LT(file.size(), font.size()) << "the objects are packed";
    EXPECT_EQ(font_datafile_file_problem(path.c_str()), nullptr);
    DATAFILE *loaded = load_datafile(path.c_str());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(text_height(static_cast<FONT *>(loaded[0].dat)), 14);
    EXPECT_EQ(loaded[1].size, 5000);
    unload_datafile(loaded);
    for (size_t n = 4; n < file.size(); n++)
        EXPECT_NE(font_datafile_problem(file.data() + 4, n - 4), nullptr) << n << " bytes";

    // A font packed as one repeat of 4 bytes: from the start of the unpacker's window, which
    // holds zeros (a font of no characters), or from its last 18 bytes, which the library
    // leaves as memory happens to be.
    for (const bool known : {true, false}) {
        Bytes packed;
        put_id(packed, "slh.");
        put_id(packed, "ALL.");
        put_be32(packed, 1);
        put_id(packed, "FONT");
        put_be32(packed, 3);
        put_be32(packed, static_cast<unsigned>(-4));
        packed.insert(packed.end(), {0x00, static_cast<unsigned char>(known ? 0x00 : 0xEE),
                                     static_cast<unsigned char>(known ? 0x01 : 0xF1)});
        EXPECT_STREQ(datafile_problem(packed),
                     known ? "its font has no characters"
                           : "it holds a packed object that repeats bytes it never wrote");
    }
}

TEST(FontFileCheck, FilesOfOtherKindsAndPackedFiles)
{
    TempDir dir;
    write_text(dir.path("text.dat"), "This is a text file.\n");
    EXPECT_STREQ(font_datafile_file_problem(dir.path("text.dat").c_str()), "it is not a datafile");
    write_file(dir.path("empty.dat"), {});
    EXPECT_STREQ(font_datafile_file_problem(dir.path("empty.dat").c_str()), "the file is empty");
    EXPECT_STREQ(font_datafile_file_problem(dir.path("none.dat").c_str()), "missing or unreadable");
    EXPECT_STREQ(font_datafile_file_problem(dir.path().c_str()), "missing or unreadable");

    // A whole file packed by the library is unpacked for the check, as the loader does.
    const Bytes plain = datafile({{"FONT", font_object(32, 90, 8, 10)}});
    PACKFILE *out = pack_fopen(dir.path("packed.dat").c_str(), F_WRITE_PACKED);
    ASSERT_NE(out, nullptr);
    pack_fwrite(plain.data() + 4, plain.size() - 4, out);
    pack_fclose(out);
    EXPECT_NE(read_file(dir.path("packed.dat"))[3], '.') << "the file is packed";
    EXPECT_EQ(font_datafile_file_problem(dir.path("packed.dat").c_str()), nullptr);
    DATAFILE *loaded = load_datafile(dir.path("packed.dat").c_str());
    ASSERT_NE(loaded, nullptr);
    unload_datafile(loaded);
}

}  // namespace
