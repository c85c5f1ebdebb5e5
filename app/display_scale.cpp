#include "app/display_scale.h"

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

// What an enlarged dialog draws into and what was last shown of it. The library centres its
// dialogs on the screen, so they draw into a bitmap of the screen's size, in whose middle lies
// the 640 x 480 frame that is shown enlarged; the pointer hooks answer in that bitmap's
// coordinates.
struct DialogFrames {
    BITMAP *drawn = nullptr;  // the library's dialogs draw here
    BITMAP *frame = nullptr;  // the frame: `drawn`'s middle
    BITMAP *shown = nullptr;  // the frame as last copied to the screen, without the pointer
    BITMAP *view = nullptr;   // the frame with the pointer, as copied
    int pointer_x = -1, pointer_y = -1;
    std::chrono::steady_clock::time_point next_look;  // when to compare the frames again
} dialog;

// The frame's place in `dialog.drawn`, -1 when the dialogs draw on the screen. Also read on the
// library's input thread, which asks the dialogs' pointer hooks.
std::atomic<int> dialog_frame_x{-1}, dialog_frame_y{-1};

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
    if (f == 1 || dialog.drawn != nullptr || SCREEN_W < frame_width || SCREEN_H < frame_height)
        return;
    const int x = (SCREEN_W - frame_width) / 2, y = (SCREEN_H - frame_height) / 2;
    dialog.drawn = create_bitmap(SCREEN_W, SCREEN_H);
    if (dialog.drawn)
        dialog.frame = create_sub_bitmap(dialog.drawn, x, y, frame_width, frame_height);
    dialog.shown = create_bitmap(frame_width, frame_height);
    dialog.view = create_bitmap(frame_width, frame_height);
    if (!dialog.drawn || !dialog.frame || !dialog.shown || !dialog.view) {
        for (BITMAP *b : {dialog.frame, dialog.drawn, dialog.shown, dialog.view})
            if (b)
                destroy_bitmap(b);
        dialog = DialogFrames();
        return;  // the dialogs are then drawn on the screen at their own size
    }
    // The frame on the screen, one pixel of each block.
    scare_mouse();
    blit(screen, dialog.drawn, 0, 0, 0, 0, SCREEN_W, SCREEN_H);
    unscare_mouse();
    stretch_blit(dialog.drawn, dialog.shown, 0, 0, frame_width * f, frame_height * f, 0, 0,
                 frame_width, frame_height);
    blit(dialog.shown, dialog.frame, 0, 0, 0, 0, frame_width, frame_height);
    clear_bitmap(dialog.shown);
    dialog.pointer_x = dialog.pointer_y = -1;
    dialog_frame_x = x;
    dialog_frame_y = y;
    gui_set_screen(dialog.drawn);
}

void show_enlarged_dialog(int pointer_x, int pointer_y)
{
    if (dialog.drawn == nullptr)
        return;
    // A dialog starts by showing the library's pointer on the bitmap it draws on, at the
    // screen's coordinates; the pointer is drawn into the frame here instead.
    show_mouse(nullptr);
    const auto now = std::chrono::steady_clock::now();
    const bool moved = pointer_x != dialog.pointer_x || pointer_y != dialog.pointer_y;
    if (!moved && now < dialog.next_look)
        return;
    dialog.next_look = now + dialog_look_interval;
    if (!moved && same_frames(dialog.frame, dialog.shown))
        return;
    blit(dialog.frame, dialog.shown, 0, 0, 0, 0, frame_width, frame_height);
    blit(dialog.frame, dialog.view, 0, 0, 0, 0, frame_width, frame_height);
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
    copy_to_screen(dialog.frame);
    unscare_mouse();
    gui_set_screen(nullptr);
    dialog_frame_x = dialog_frame_y = -1;
    for (BITMAP *b : {dialog.frame, dialog.drawn, dialog.shown, dialog.view})
        destroy_bitmap(b);
    dialog = DialogFrames();
    show_mouse(screen);
}

int screen_to_dialog_x(int v)
{
    const int x = dialog_frame_x;
    return x < 0 ? v : screen_to_frame(v) + x;
}

int screen_to_dialog_y(int v)
{
    const int y = dialog_frame_y;
    return y < 0 ? v : screen_to_frame(v) + y;
}

int screen_to_frame(int v) { return geometry::floor_div(v, current_scale); }

int frame_to_screen(int v) { return v * current_scale + current_scale / 2; }
