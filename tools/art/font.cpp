#include "art/font.h"

#include <allegro.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <algorithm>
#include <vector>

namespace art {

namespace {

FT_Face as_face(void *p) { return static_cast<FT_Face>(p); }

constexpr int first_char = 32, last_char = 126;
constexpr int ink_threshold = 150;  // of 255: how much coverage makes a pixel ink
constexpr int tracking = 1;         // extra pixels between letters, so that bold ones stay apart

// Collects the outline of a glyph as closed rings of points, curves cut into short lines.
struct RingBuilder {
    std::vector<std::vector<double>> rings;
    double ox, oy;  // where the glyph's origin lies, in picture coordinates
    double last_x = 0, last_y = 0;

    void point(double fx, double fy)
    {
        // Font units are 1/64 pixel with y growing upwards.
        last_x = fx;
        last_y = fy;
        rings.back().push_back(ox + fx / 64.0);
        rings.back().push_back(oy - fy / 64.0);
    }
};

int move_to(const FT_Vector *to, void *user)
{
    auto *b = static_cast<RingBuilder *>(user);
    b->rings.emplace_back();
    b->point(to->x, to->y);
    return 0;
}

int line_to(const FT_Vector *to, void *user)
{
    static_cast<RingBuilder *>(user)->point(to->x, to->y);
    return 0;
}

int conic_to(const FT_Vector *control, const FT_Vector *to, void *user)
{
    auto *b = static_cast<RingBuilder *>(user);
    double x0 = b->last_x, y0 = b->last_y;
    for (int i = 1; i <= 8; i++) {
        double t = i / 8.0, u = 1 - t;
        b->point(u * u * x0 + 2 * u * t * control->x + t * t * to->x,
                 u * u * y0 + 2 * u * t * control->y + t * t * to->y);
    }
    return 0;
}

int cubic_to(const FT_Vector *c1, const FT_Vector *c2, const FT_Vector *to, void *user)
{
    auto *b = static_cast<RingBuilder *>(user);
    double x0 = b->last_x, y0 = b->last_y;
    for (int i = 1; i <= 10; i++) {
        double t = i / 10.0, u = 1 - t;
        b->point(u * u * u * x0 + 3 * u * u * t * c1->x + 3 * u * t * t * c2->x + t * t * t * to->x,
                 u * u * u * y0 + 3 * u * u * t * c1->y + 3 * u * t * t * c2->y + t * t * t * to->y);
    }
    return 0;
}

// One glyph as one-bit ink and where it lies against the pen. It is rendered smooth with
// light (vertical only) hinting and cut at a little over half coverage: at this size that
// keeps the round letters round and the strokes of the bold face solid, where rendering
// for one-bit output thins horizontal strokes to a single pixel and breaks up the curves.
struct MonoGlyph {
    int left = 0, top = 0, width = 0, rows = 0, advance = 0;
    std::vector<unsigned char> ink;  // width * rows, 1 where inked
};

bool render_mono(FT_Face face, int c, MonoGlyph &g)
{
    if (FT_Load_Char(face, c, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0)
        return false;
    FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap &bm = slot->bitmap;
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.width = static_cast<int>(bm.width);
    g.rows = static_cast<int>(bm.rows);
    g.advance = static_cast<int>(slot->advance.x >> 6);
    g.ink.assign(static_cast<size_t>(g.width) * g.rows, 0);
    for (int y = 0; y < g.rows; y++)
        for (int x = 0; x < g.width; x++) {
            const unsigned char *row = bm.buffer + y * bm.pitch;
            bool on = bm.pixel_mode == FT_PIXEL_MODE_MONO ? (row[x / 8] & (0x80 >> (x % 8))) != 0
                                                          : row[x] >= ink_threshold;
            g.ink[static_cast<size_t>(y) * g.width + x] = on ? 1 : 0;
        }
    return true;
}

}  // namespace

TextRenderer::TextRenderer(const std::string &font_path)
{
    FT_Library lib;
    if (FT_Init_FreeType(&lib) != 0) {
        error_ = "cannot start FreeType";
        return;
    }
    library_ = lib;
    FT_Face face;
    if (FT_New_Face(lib, font_path.c_str(), 0, &face) != 0) {
        error_ = "cannot open the font " + font_path;
        return;
    }
    face_ = face;
}

TextRenderer::~TextRenderer()
{
    if (face_)
        FT_Done_Face(as_face(face_));
    if (library_)
        FT_Done_FreeType(static_cast<FT_Library>(library_));
}

Shape TextRenderer::text_shape(const std::string &text, double pixel_size, double x, double y)
{
    FT_Face face = as_face(face_);
    FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(pixel_size * 64), 72, 72);
    FT_Outline_Funcs funcs{move_to, line_to, conic_to, cubic_to, 0, 0};
    std::vector<Shape> letters;
    double pen = x;
    for (char ch : text) {
        if (FT_Load_Char(face, static_cast<unsigned char>(ch), FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0)
            continue;
        RingBuilder builder;
        builder.ox = pen;
        builder.oy = y;
        FT_Outline_Decompose(&face->glyph->outline, &funcs, &builder);
        pen += face->glyph->advance.x / 64.0;
        builder.rings.erase(std::remove_if(builder.rings.begin(), builder.rings.end(),
                                           [](const std::vector<double> &r) { return r.size() < 6; }),
                            builder.rings.end());
        if (!builder.rings.empty())
            letters.push_back(outlines(builder.rings));  // each letter apart, so far ones are skipped
    }
    if (letters.empty())
        return {[](double, double) { return 1e9; }, {x, y, x, y}};  // nothing to draw
    return unite(letters);
}

double TextRenderer::text_width(const std::string &text, double pixel_size)
{
    FT_Face face = as_face(face_);
    FT_Set_Char_Size(face, 0, static_cast<FT_F26Dot6>(pixel_size * 64), 72, 72);
    double width = 0;
    for (char ch : text)
        if (FT_Load_Char(face, static_cast<unsigned char>(ch), FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) == 0)
            width += face->glyph->advance.x / 64.0;
    return width;
}

namespace {

// The glyphs from first_char to last_char at the largest size whose tallest glyphs, from the
// top of '|' to the bottom of 'g', fit in the line; ascent and descent are theirs.
struct FittedGlyphs {
    std::vector<MonoGlyph> glyphs;
    int ascent = 0, descent = 0;
    int failed_char = -1;  // a character that could not be rendered, if any
};

FittedGlyphs render_to_fit(FT_Face face, int line_height)
{
    FittedGlyphs fit;
    fit.glyphs.resize(last_char - first_char + 1);
    for (int size = line_height; size > 4; size--) {
        FT_Set_Pixel_Sizes(face, 0, size);
        fit.ascent = fit.descent = 0;
        for (int c = first_char; c <= last_char; c++) {
            MonoGlyph &g = fit.glyphs[c - first_char];
            if (!render_mono(face, c, g)) {
                fit.failed_char = c;
                return fit;
            }
            if (g.rows > 0) {
                fit.ascent = std::max(fit.ascent, g.top);
                fit.descent = std::max(fit.descent, g.rows - g.top);
            }
        }
        if (fit.ascent + fit.descent <= line_height)
            break;
    }
    return fit;
}

// Where the glyphs go in the grid the dat tool reads: rows of 16 boxes, each its glyph's
// advance wide, widened where the ink sticks out of it, with a separator line around each.
struct GlyphGrid {
    static constexpr int per_row = 16;
    std::vector<int> shift, box_width;  // per glyph: ink moved right, box width
    int width = 0, rows = 0;

    explicit GlyphGrid(const std::vector<MonoGlyph> &glyphs)
        : shift(glyphs.size()), box_width(glyphs.size())
    {
        for (size_t i = 0; i < glyphs.size(); i++) {
            shift[i] = std::max(0, -glyphs[i].left);
            box_width[i] = std::max({1, glyphs[i].advance + tracking + shift[i],
                                     glyphs[i].left + shift[i] + glyphs[i].width});
        }
        rows = (static_cast<int>(glyphs.size()) + per_row - 1) / per_row;
        for (int r = 0; r < rows; r++) {
            int w = 1;
            for (int i = first(r); i < end(r); i++)
                w += box_width[i] + 1;
            width = std::max(width, w);
        }
    }
    int first(int row) const { return row * per_row; }
    int end(int row) const { return std::min<int>(box_width.size(), (row + 1) * per_row); }
};

// The grid as an 8-bit picture: 255 separators, 0 boxes, 1 ink.
BITMAP *paint_grid(const FittedGlyphs &fit, const GlyphGrid &grid, int line_height)
{
    const int baseline = fit.ascent + (line_height - fit.ascent - fit.descent + 1) / 2;
    BITMAP *picture = create_bitmap_ex(8, grid.width, 1 + grid.rows * (line_height + 1));
    clear_to_color(picture, 255);
    for (int r = 0; r < grid.rows; r++) {
        int x = 1, y = 1 + r * (line_height + 1);
        for (int i = grid.first(r); i < grid.end(r); i++) {
            const MonoGlyph &g = fit.glyphs[i];
            rectfill(picture, x, y, x + grid.box_width[i] - 1, y + line_height - 1, 0);
            for (int gy = 0; gy < g.rows; gy++)
                for (int gx = 0; gx < g.width; gx++) {
                    int px = x + g.left + grid.shift[i] + gx, py = y + baseline - g.top + gy;
                    if (g.ink[static_cast<size_t>(gy) * g.width + gx] && py >= y &&
                        py < y + line_height)
                        putpixel(picture, px, py, 1);
                }
            x += grid.box_width[i] + 1;
        }
    }
    return picture;
}

// Black boxes, white ink, yellow separators: only the indices matter to the dat tool, but
// this way the grid can be looked at.
bool save_grid(BITMAP *picture, const std::string &path)
{
    PALETTE palette;
    for (int i = 0; i < 256; i++)
        palette[i].r = palette[i].g = palette[i].b = 0;
    palette[1].r = palette[1].g = palette[1].b = 63;
    palette[255].r = palette[255].g = 63;
    return save_bitmap(path.c_str(), picture, palette) == 0;
}

}  // namespace

bool TextRenderer::write_glyph_grid(const std::string &path, int line_height)
{
    const FittedGlyphs fit = render_to_fit(as_face(face_), line_height);
    if (fit.failed_char >= 0) {
        error_ = "cannot render character " + std::to_string(fit.failed_char);
        return false;
    }
    BITMAP *picture = paint_grid(fit, GlyphGrid(fit.glyphs), line_height);
    const bool ok = save_grid(picture, path);
    destroy_bitmap(picture);
    if (!ok)
        error_ = "cannot write " + path;
    return ok;
}

}  // namespace art
