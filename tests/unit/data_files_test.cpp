// The generated data files, loaded through the library as the game loads them: the pictures
// in a 16-bit and a 32-bit display depth, the font datafile and the layout files; and how
// many random deals of each shipped layout can be cleared.
#include <allegro.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "board/layout.h"
#include "play/deal.h"
#include "solve/solver.h"
#include "support/files.h"
#include "support/headless.h"

namespace {

std::string data_file(const std::string &name) { return std::string(TILESTACK_GAMEDATA) + "/" + name; }

// A picture loaded with no palette into the current depth, as start-up loads it.
class Picture {
public:
    explicit Picture(const std::string &name) : bitmap_(load_bitmap(data_file(name).c_str(), nullptr)) {}
    ~Picture()
    {
        if (bitmap_)
            destroy_bitmap(bitmap_);
    }
    Picture(const Picture &) = delete;
    Picture &operator=(const Picture &) = delete;
    BITMAP *get() const { return bitmap_; }

private:
    BITMAP *bitmap_;
};

bool is_mask(BITMAP *b, int x, int y) { return getpixel(b, x, y) == bitmap_mask_color(b); }

int channel_gap(Rgb a, Rgb b) { return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)}); }

class PicturesInDepth : public ::testing::TestWithParam<int> {
protected:
    FakeDisplay display_{GetParam()};
};

TEST_P(PicturesInDepth, LoadInTheDisplayDepthWithTheirSizes)
{
    const struct {
        const char *name;
        int w, h;
    } sizes[] = {{"empty.tga", 50, 35}, {"bg.tga", 640, 480}, {"title.tga", 640, 480}};
    for (const auto &s : sizes) {
        Picture p(s.name);
        ASSERT_NE(p.get(), nullptr) << s.name;
        EXPECT_EQ(p.get()->w, s.w) << s.name;
        EXPECT_EQ(p.get()->h, s.h) << s.name;
        EXPECT_EQ(bitmap_color_depth(p.get()), GetParam()) << s.name;
    }
    Picture strip("geek.tga");
    ASSERT_NE(strip.get(), nullptr);
    EXPECT_EQ(strip.get()->h, 27);
    EXPECT_EQ(strip.get()->w % 27, 0) << "no partial symbol at the end of the strip";
    EXPECT_GE(strip.get()->w / 27, 36);
    EXPECT_EQ(bitmap_color_depth(strip.get()), GetParam());
}

TEST_P(PicturesInDepth, PieceIsSolidInsideMaskColourAroundAndPlainWhereverASymbolIsDrawn)
{
    Picture piece("empty.tga"), strip("geek.tga");
    ASSERT_NE(piece.get(), nullptr);
    ASSERT_NE(strip.get(), nullptr);
    BITMAP *b = piece.get();
    // Rounded corners, and the corners the thickness (down and to the right) leaves empty.
    for (auto [x, y] : {std::pair{0, 0}, {49, 0}, {0, 34}, {49, 34}})
        EXPECT_TRUE(is_mask(b, x, y)) << x << "," << y;
    for (int y = 2; y <= 28; y++)
        for (int x = 2; x <= 42; x++)
            ASSERT_FALSE(is_mask(b, x, y)) << "hole in the face at " << x << "," << y;
    // The thickness shows along the right and the bottom.
    EXPECT_FALSE(is_mask(b, 47, 20));
    EXPECT_FALSE(is_mask(b, 25, 33));
    Rgb middle = rgb_at(b, 23, 17);
    EXPECT_GE(std::min({middle.r, middle.g, middle.b}), 190) << "a light face: " << to_string(middle);

    // Plain, like its middle, wherever a symbol is drawn.
    const int symbols = strip.get()->w / 27;
    for (int y = 0; y < 27; y++)
        for (int x = 0; x < 27; x++) {
            bool painted = false;
            for (int s = 0; s < symbols && !painted; s++)
                painted = !is_mask(strip.get(), 27 * s + x, y);
            if (painted) {
                ASSERT_LE(channel_gap(rgb_at(b, 10 + x, 4 + y), middle), 8)
                    << "the face under symbol pixel " << x << "," << y << " is not plain";
            }
        }
}

TEST_P(PicturesInDepth, SymbolsAreMaskedAroundAndNoTwoAlike)
{
    Picture strip("geek.tga");
    ASSERT_NE(strip.get(), nullptr);
    BITMAP *b = strip.get();
    const int symbols = b->w / 27;
    for (int s = 0; s < symbols; s++) {
        int ink = 0;
        for (int y = 0; y < 27; y++)
            for (int x = 0; x < 27; x++) {
                bool edge = x == 0 || y == 0 || x == 26 || y == 26;
                if (edge)
                    EXPECT_TRUE(is_mask(b, 27 * s + x, y)) << "symbol " << s + 1 << " touches its edge at " << x << "," << y;
                else
                    ink += !is_mask(b, 27 * s + x, y);
            }
        EXPECT_GE(ink, 120) << "symbol " << s + 1 << " is too small to see";
    }
    for (int s = 0; s < symbols; s++)
        for (int t = s + 1; t < symbols; t++) {
            int differ = 0;
            for (int y = 0; y < 27; y++)
                for (int x = 0; x < 27; x++)
                    differ += getpixel(b, 27 * s + x, y) != getpixel(b, 27 * t + x, y);
            EXPECT_GE(differ, 60) << "symbols " << s + 1 << " and " << t + 1 << " look alike";
        }
}

INSTANTIATE_TEST_SUITE_P(Depths, PicturesInDepth, ::testing::Values(16, 32));

TEST(FontFile, FirstObjectIsAOneColourFontSixteenPixelsHigh)
{
    DATAFILE *data = load_datafile(data_file("font.dat").c_str());
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(data[0].type, DAT_FONT);
    FONT *f = static_cast<FONT *>(data[0].dat);
    EXPECT_EQ(text_height(f), 16);
    EXPECT_TRUE(is_mono_font(f));

    FakeDisplay display(16);
    BITMAP *b = create_bitmap(60, 20);
    const Rgb black = rgb_of(makecol(0, 0, 0), 16), white = rgb_of(makecol(255, 255, 255), 16);
    for (int c = 33; c <= 126; c++) {
        const char text[2] = {static_cast<char>(c), 0};
        EXPECT_GT(text_length(f, text), 0) << "'" << text << "'";
        // Colour -1, as the status line draws it: a one-colour font comes out white.
        clear_to_color(b, makecol(0, 0, 0));
        textout_ex(b, f, text, 1, 1, -1, -1);
        int ink = 0, other = 0;
        for (int y = 0; y < b->h; y++)
            for (int x = 0; x < b->w; x++) {
                Rgb p = rgb_at(b, x, y);
                ink += p == white;
                other += p != white && p != black;
            }
        EXPECT_GT(ink, 0) << "'" << text << "' draws nothing";
        EXPECT_EQ(other, 0) << "'" << text << "' draws in other colours than white";
    }
    EXPECT_GT(text_length(f, " "), 0);
    destroy_bitmap(b);
    unload_datafile(data);
}

Layout load_shipped(int n)
{
    Layout shape;
    shape.clear();
    EXPECT_TRUE(shape.load(data_file(std::to_string(n) + ".lyt").c_str())) << n << ".lyt";
    return shape;
}

TEST(LayoutFiles, EvenCountsOfSupportedPiecesInFourLayersOrMore)
{
    std::vector<Layout> shapes;
    for (int n = 0; n < 3; n++) {
        EXPECT_EQ(read_file(data_file(std::to_string(n) + ".lyt")).size(), 504u) << n << ".lyt";
        Layout shape = load_shipped(n);
        EXPECT_EQ(shape.count % 2, 0) << n << ".lyt";
        EXPECT_GE(shape.count, 100) << n << ".lyt";
        EXPECT_LE(shape.count, 144) << n << ".lyt";
        int top = -1;
        for (int z = 0; z < Layout::layers; z++)
            for (int y = 0; y < Layout::rows; y++)
                for (int x = 0; x < Layout::columns; x++)
                    if (shape.get(x, y, z) != 0) {
                        top = z;
                        EXPECT_TRUE(shape.is_supported(x, y, z))
                            << n << ".lyt: nothing under " << x << "," << y << "," << z;
                    }
        EXPECT_GE(top, 3) << n << ".lyt uses fewer than four layers";
        for (const Layout &other : shapes)
            EXPECT_FALSE(std::equal(shape.cells, shape.cells + Layout::cell_count, other.cells))
                << n << ".lyt repeats an earlier shape";
        shapes.push_back(shape);
    }
}

// Deals each shipped layout many times as the game does and solves every deal. The share
// of deals that can be cleared is printed; each layout must stay well above a floor.
TEST(LayoutFiles, MostRandomDealsCanBeCleared)
{
    int symbols = 0;
    {
        FakeDisplay display(32);
        Picture strip("geek.tga");
        ASSERT_NE(strip.get(), nullptr);
        symbols = strip.get()->w / 27;
    }
    const int deals = 200;
    const unsigned seed = 2024;
    for (int n = 0; n < 3; n++) {
        const Layout shape = load_shipped(n);
        std::srand(seed);
        int cleared = 0, stuck = 0;
        for (int d = 0; d < deals; d++) {
            Layout board = shape;
            Deal dealt;
            ASSERT_TRUE(deal(board, symbols, dealt));
            SolveResult result = solve_board(board, 5000).result;
            cleared += result == SolveResult::cleared;
            stuck += result == SolveResult::stuck;
        }
        std::printf("%d.lyt: %d of %d deals can be cleared (%.1f%%), %d cannot, %d undecided "
                    "(%d symbols, seed %u)\n",
                    n, cleared, deals, 100.0 * cleared / deals, stuck, deals - cleared - stuck,
                    symbols, seed);
        EXPECT_GE(cleared * 100, deals * 85) << n << ".lyt: too few deals can be cleared";
    }
}

}  // namespace
