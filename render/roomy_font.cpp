#include "render/roomy_font.h"

#include <vector>

namespace {

// The grabber's colours in an 8-bit picture of a font: 255 frames each glyph's box, 0 is the
// box's empty ground, anything else is ink.
constexpr int box_frame = 255, ink = 1;

// The width of character c in `f`.
int width_of(const FONT *f, int c)
{
    char text[8];
    usetc(text + usetc(text, c), 0);
    return text_length(f, text);
}

// One range of `f` (first to last, both included) as the grabber reads a font: a row of boxes,
// one per character, each one row higher than the font above and below its glyph, with a
// frame line between boxes and around the row. nullptr when a glyph has no width (the grabber
// cannot tell an empty box from the row's end) or memory runs out.
FONT *roomy_range(FONT *f, int first, int last)
{
    const int h = text_height(f);
    std::vector<int> widths;
    int row_width = 1;
    for (int c = first; c <= last; c++) {
        widths.push_back(width_of(f, c));
        if (widths.back() <= 0)
            return nullptr;
        row_width += widths.back() + 1;
    }
    BITMAP *picture = create_bitmap_ex(8, row_width, h + 4);
    if (!picture)
        return nullptr;
    clear_to_color(picture, box_frame);
    int x = 1;
    for (int c = first; c <= last; c++) {
        const int w = widths[c - first];
        rectfill(picture, x, 1, x + w - 1, h + 2, 0);
        char text[8];
        usetc(text + usetc(text, c), 0);
        textout_ex(picture, f, text, x, 2, ink, -1);
        x += w + 1;
    }
    FONT *range = grab_font_from_bitmap(picture);
    destroy_bitmap(picture);
    // The grabber numbers the glyphs from the space up.
    if (range && transpose_font(range, first - ' ') != 0) {
        destroy_font(range);
        return nullptr;
    }
    return range;
}

}  // namespace

FONT *roomy_font(const FONT *f)
{
    FONT *source = const_cast<FONT *>(f);  // read only: the library's calls take no const
    if (!source || !is_mono_font(source))
        return nullptr;
    FONT *copy = nullptr;
    for (int i = 0; i < get_font_ranges(source); i++) {
        FONT *range = roomy_range(source, get_font_range_begin(source, i),
                                  get_font_range_end(source, i));
        if (!range) {
            if (copy)
                destroy_font(copy);
            return nullptr;
        }
        if (!copy) {
            copy = range;
            continue;
        }
        FONT *joined = merge_fonts(copy, range);
        destroy_font(copy);
        destroy_font(range);
        if (!(copy = joined))
            return nullptr;
    }
    return copy;
}

RoomyFont::RoomyFont() : saved_(font), roomy_(roomy_font(font))
{
    if (roomy_)
        font = roomy_;
}

RoomyFont::~RoomyFont()
{
    font = saved_;
    if (roomy_)
        destroy_font(roomy_);
}
