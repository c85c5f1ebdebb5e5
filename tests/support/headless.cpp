#include "support/headless.h"

#include <cstring>
#include <ostream>

#include "app/resources.h"
#include "board/constants.h"

FakeDisplay::FakeDisplay(int depth, int width, int height)
{
    driver_.w = width;
    driver_.h = height;
    driver_.name = driver_.desc = driver_.ascii_name = "test display";
    gfx_driver = &driver_;
    set_color_depth(depth);
    screen = create_bitmap(width, height);
    clear_bitmap(screen);
    resources.buffer = create_bitmap(width, height);
    clear_bitmap(resources.buffer);
}

FakeDisplay::~FakeDisplay()
{
    destroy_bitmap(resources.buffer);
    resources.buffer = nullptr;
    destroy_bitmap(screen);
    screen = nullptr;
    gfx_driver = nullptr;
}

int FakeResources::background_colour() { return makecol(10, 90, 60); }
int FakeResources::face_colour() { return makecol(240, 232, 208); }
int FakeResources::title_colour() { return makecol(30, 30, 90); }
int FakeResources::symbol_colour(int symbol)
{
    // Distinct, far from the face, background and frame colours, and never the mask colour.
    return makecol(8 * (symbol % 32), 200 - 4 * (symbol % 40), 56 + 3 * (symbol % 50));
}

FakeResources::FakeResources(int symbols, int font_height)
{
    resources.background_image = create_bitmap(640, 480);
    clear_to_color(resources.background_image, background_colour());
    resources.title_image = create_bitmap(640, 480);
    clear_to_color(resources.title_image, title_colour());

    resources.piece_image = create_bitmap(50, 35);
    clear_to_color(resources.piece_image, bitmap_mask_color(resources.piece_image));
    rectfill(resources.piece_image, 0, 0, 45, 30, face_colour());

    resources.symbol_strip = create_bitmap(symbol_size * symbols, symbol_size);
    clear_to_color(resources.symbol_strip, bitmap_mask_color(resources.symbol_strip));
    for (int s = 1; s <= symbols; s++) {
        const int left = symbol_size * (s - 1);
        rectfill(resources.symbol_strip, left + 2, 2, left + symbol_size - 3, symbol_size - 3,
                 symbol_colour(s));
    }

    resources.font_file = nullptr;
    if (font_height == text_height(font)) {
        resources.game_font = font;
    } else {
        // A copy of the built-in font that reports another line height: enough for the
        // tests that depend on text_height alone.
        made_font_ = extract_font_range(font, -1, -1);
        made_font_->height = font_height;
        resources.game_font = made_font_;
    }
}

FakeResources::~FakeResources()
{
    destroy_bitmap(resources.background_image);
    destroy_bitmap(resources.title_image);
    destroy_bitmap(resources.piece_image);
    destroy_bitmap(resources.symbol_strip);
    resources.background_image = resources.title_image = nullptr;
    resources.piece_image = resources.symbol_strip = nullptr;
    if (made_font_)
        destroy_font(made_font_);
    resources.game_font = nullptr;
}

namespace input {
void reset()
{
    mouse_x = mouse_y = mouse_b = 0;
    std::memset(const_cast<char *>(key), 0, KEY_MAX);
}
void pointer(int x, int y, int b)
{
    mouse_x = x;
    mouse_y = y;
    mouse_b = b;
}
void buttons(int b) { mouse_b = b; }
void key_down(int scancode) { key[scancode] = 1; }
void key_up(int scancode) { key[scancode] = 0; }
}  // namespace input

std::string to_string(const Rgb &c)
{
    return "(" + std::to_string(c.r) + ", " + std::to_string(c.g) + ", " + std::to_string(c.b) +
           ")";
}
void PrintTo(const Rgb &c, std::ostream *os) { *os << to_string(c); }

Rgb rgb_of(int colour, int depth)
{
    return {getr_depth(depth, colour), getg_depth(depth, colour), getb_depth(depth, colour)};
}

Rgb rgb_at(BITMAP *bitmap, int x, int y)
{
    return rgb_of(getpixel(bitmap, x, y), bitmap_color_depth(bitmap));
}

bool same_pixels(BITMAP *a, BITMAP *b)
{
    if (a->w != b->w || a->h != b->h || bitmap_color_depth(a) != bitmap_color_depth(b))
        return false;
    for (int y = 0; y < a->h; y++)
        for (int x = 0; x < a->w; x++)
            if (getpixel(a, x, y) != getpixel(b, x, y))
                return false;
    return true;
}
