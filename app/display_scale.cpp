#include "app/display_scale.h"

#include <allegro/internal/aintern.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "board/geometry.h"

namespace {

// The factor of the window now open. Also read on the library's input thread, which asks the
// dialogs' pointer hooks.
std::atomic<int> current_scale{1};
BITMAP *enlarged_pointer = nullptr;  // the pointer's picture at that factor, when above 1
BITMAP *frame_pointer = nullptr;     // its own picture, drawn into enlarged dialogs' frames
int frame_pointer_x = 0, frame_pointer_y = 0;  // the hot spot of frame_pointer

// What an enlarged dialog draws into and what was last shown of it.
struct DialogFrames {
    BITMAP *drawn = nullptr;  // the library's dialogs draw here
    BITMAP *shown = nullptr;  // `drawn` as last copied to the screen, without the pointer
    BITMAP *view = nullptr;   // `drawn` with the pointer, as copied
    int pointer_x = -1, pointer_y = -1;
    int screen_w = 0, screen_h = 0;  // the mode's real size, put back at the end
    std::chrono::steady_clock::time_point next_look;  // when to compare the frames again
} dialog;

// How often a dialog's frame is compared with what was shown, when the pointer did not move.
constexpr auto dialog_look_interval = std::chrono::milliseconds(10);

bool same_frames(BITMAP *a, BITMAP *b)
{
    const size_t row = static_cast<size_t>(a->w) * ((bitmap_color_depth(a) + 7) / 8);
    for (int y = 0; y < a->h; y++)
        if (std::memcmp(a->line[y], b->line[y], row) != 0)
            return false;
    return true;
}

// One row of the frame with each pixel repeated `factor` times.
template <typename Pixel>
void widen_row(const Pixel *from, Pixel *to, int width, int factor)
{
    for (int x = 0; x < width; x++)
        for (int k = 0; k < factor; k++)
            *to++ = from[x];
}

// 24-bit pixels have no integer type of their size: three bytes at a time.
void widen_row_24(const unsigned char *from, unsigned char *to, int width, int factor)
{
    for (int x = 0; x < width; x++, from += 3)
        for (int k = 0; k < factor; k++, to += 3)
            std::memcpy(to, from, 3);
}

void widen_row_any(const void *from, void *to, int width, int factor, int bytes_per_pixel)
{
    switch (bytes_per_pixel) {
    case 1:
        widen_row(static_cast<const std::uint8_t *>(from), static_cast<std::uint8_t *>(to),
                  width, factor);
        break;
    case 2:
        widen_row(static_cast<const std::uint16_t *>(from), static_cast<std::uint16_t *>(to),
                  width, factor);
        break;
    case 3:
        widen_row_24(static_cast<const unsigned char *>(from), static_cast<unsigned char *>(to),
                     width, factor);
        break;
    default:
        widen_row(static_cast<const std::uint32_t *>(from), static_cast<std::uint32_t *>(to),
                  width, factor);
        break;
    }
}

}  // namespace

int parse_scale(const char *value)
{
    if (value == nullptr || value[0] == '\0')
        return 1;
    if (std::strcmp(value, "auto") == 0)
        return auto_scale;
    if (value[0] >= '1' && value[0] <= '0' + largest_scale && value[1] == '\0')
        return value[0] - '0';
    return -1;
}

int fitting_scale(int desktop_w, int desktop_h)
{
    for (int f = largest_scale; f > 1; f--)
        if (frame_width * f <= desktop_w - desktop_w / 20 &&
            frame_height * f <= desktop_h - desktop_h / 10)
            return f;
    return 1;
}

int asked_scale()
{
    const char *value = std::getenv("TILESTACK_SCALE");
    const int factor = parse_scale(value);
    if (factor < 0) {
        std::fprintf(stderr,
                     "tilestack: TILESTACK_SCALE=\"%s\" is neither a whole factor from 1 to %d "
                     "nor \"auto\"; the window opens at factor 1.\n",
                     value, largest_scale);
        return 1;
    }
    if (factor == auto_scale) {
        int w = 0, h = 0;
        return get_desktop_resolution(&w, &h) == 0 ? fitting_scale(w, h) : 1;
    }
    return factor;
}

int display_scale() { return current_scale; }

void set_display_scale(int factor) { current_scale = factor; }

void blit_enlarged(BITMAP *frame, BITMAP *target, int factor)
{
    if (factor == 1) {
        blit(frame, target, 0, 0, 0, 0, frame->w, frame->h);
        return;
    }
    // Each row of the frame is widened once and written to `factor` rows of the target,
    // through the library's line access so that the screen knows what changed.
    const int bytes_per_pixel = (bitmap_color_depth(frame) + 7) / 8;  // 15 bits take 2 bytes
    const int rows = std::min(frame->h, target->h / factor);
    const int width = std::min(frame->w, target->w / factor);
    std::vector<unsigned char> row(static_cast<size_t>(width) * factor * bytes_per_pixel);
    acquire_bitmap(target);
    for (int y = 0; y < rows; y++) {
        widen_row_any(frame->line[y], row.data(), width, factor, bytes_per_pixel);
        for (int k = 0; k < factor; k++) {
            const uintptr_t line = bmp_write_line(target, y * factor + k);
            std::memcpy(reinterpret_cast<void *>(line), row.data(), row.size());
        }
    }
    bmp_unwrite_line(target);
    release_bitmap(target);
}

void copy_to_screen(BITMAP *frame) { blit_enlarged(frame, screen, current_scale); }

void enlarge_pointer()
{
    const int f = current_scale;
    if (f == 1 || mouse_sprite == nullptr || enlarged_pointer != nullptr)
        return;
    BITMAP *small = mouse_sprite;
    BITMAP *big = create_bitmap_ex(bitmap_color_depth(small), small->w * f, small->h * f);
    if (big == nullptr)
        return;  // the pointer stays small, which only looks odd
    stretch_blit(small, big, 0, 0, small->w, small->h, 0, 0, big->w, big->h);
    frame_pointer = create_bitmap_ex(bitmap_color_depth(small), small->w, small->h);
    if (frame_pointer)
        blit(small, frame_pointer, 0, 0, 0, 0, small->w, small->h);
    frame_pointer_x = mouse_x_focus;
    frame_pointer_y = mouse_y_focus;
    // The hot spot goes to the middle of its block, where a pointer put on a frame position
    // by the program lies.
    const int focus_x = mouse_x_focus * f + f / 2, focus_y = mouse_y_focus * f + f / 2;
    set_mouse_sprite(big);
    set_mouse_sprite_focus(focus_x, focus_y);
    enlarged_pointer = big;
}

void release_enlarged_pointer()
{
    if (enlarged_pointer == nullptr)
        return;
    show_mouse(nullptr);
    set_mouse_sprite(nullptr);
    destroy_bitmap(enlarged_pointer);
    enlarged_pointer = nullptr;
    if (frame_pointer)
        destroy_bitmap(frame_pointer);
    frame_pointer = nullptr;
}

void begin_enlarged_dialogs()
{
    const int f = current_scale;
    if (f == 1 || dialog.drawn != nullptr)
        return;
    BITMAP *bitmaps[3];
    for (BITMAP *&b : bitmaps)
        b = create_bitmap(frame_width, frame_height);
    if (!bitmaps[0] || !bitmaps[1] || !bitmaps[2]) {
        for (BITMAP *b : bitmaps)
            if (b)
                destroy_bitmap(b);
        return;  // the dialogs are then drawn on the screen at their own size
    }
    dialog.drawn = bitmaps[0];
    dialog.shown = bitmaps[1];
    dialog.view = bitmaps[2];
    // The frame on the screen, one pixel of each block.
    clear_bitmap(dialog.drawn);
    if (BITMAP *whole = create_bitmap(frame_width * f, frame_height * f)) {
        scare_mouse();
        blit(screen, whole, 0, 0, 0, 0, whole->w, whole->h);
        unscare_mouse();
        stretch_blit(whole, dialog.drawn, 0, 0, whole->w, whole->h, 0, 0, frame_width,
                     frame_height);
        destroy_bitmap(whole);
    }
    clear_bitmap(dialog.shown);
    dialog.pointer_x = dialog.pointer_y = -1;
    // The library sizes and centres its dialogs by the screen's size (SCREEN_W and SCREEN_H,
    // which read the driver's record): for their run that is the frame's.
    dialog.screen_w = gfx_driver->w;
    dialog.screen_h = gfx_driver->h;
    gfx_driver->w = frame_width;
    gfx_driver->h = frame_height;
    gui_set_screen(dialog.drawn);
}

void show_enlarged_dialog(int pointer_x, int pointer_y)
{
    if (dialog.drawn == nullptr)
        return;
    // A dialog starts by showing the library's pointer on the bitmap it draws on, at the
    // screen's coordinates; the pointer is drawn into the frame here instead.
    if (_mouse_screen != nullptr)
        show_mouse(nullptr);
    const auto now = std::chrono::steady_clock::now();
    const bool moved = pointer_x != dialog.pointer_x || pointer_y != dialog.pointer_y;
    if (!moved && now < dialog.next_look)
        return;
    dialog.next_look = now + dialog_look_interval;
    if (!moved && same_frames(dialog.drawn, dialog.shown))
        return;
    blit(dialog.drawn, dialog.shown, 0, 0, 0, 0, frame_width, frame_height);
    blit(dialog.drawn, dialog.view, 0, 0, 0, 0, frame_width, frame_height);
    if (frame_pointer)
        draw_sprite(dialog.view, frame_pointer, pointer_x - frame_pointer_x,
                    pointer_y - frame_pointer_y);
    dialog.pointer_x = pointer_x;
    dialog.pointer_y = pointer_y;
    copy_to_screen(dialog.view);
}

void end_enlarged_dialogs()
{
    if (dialog.drawn == nullptr)
        return;
    // What the dialogs left: a message box puts back what it covered.
    scare_mouse();
    copy_to_screen(dialog.drawn);
    unscare_mouse();
    gui_set_screen(nullptr);
    gfx_driver->w = dialog.screen_w;
    gfx_driver->h = dialog.screen_h;
    for (BITMAP *b : {dialog.drawn, dialog.shown, dialog.view})
        destroy_bitmap(b);
    dialog = DialogFrames();
    show_mouse(screen);
}

int screen_to_frame(int v) { return geometry::floor_div(v, current_scale); }

int frame_to_screen(int v) { return v * current_scale + current_scale / 2; }
