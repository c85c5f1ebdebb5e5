// The window on large screens: every frame is composed at 640 x 480 in the back buffer and
// shown with each pixel as an N x N block, N a whole factor chosen at start-up (TILESTACK_SCALE).
// The screens never see the factor: the copy to the screen enlarges, the pointer is drawn
// enlarged, and the input module reads the pointer back in the frame's coordinates.
#pragma once

#include <allegro.h>

constexpr int frame_width = 640;   // the frames every screen composes
constexpr int frame_height = 480;
constexpr int largest_scale = 8;
constexpr int auto_scale = 0;      // what parse_scale gives for "auto"

// TILESTACK_SCALE's value: 1 to 8, or auto_scale for "auto". Unset or empty: 1. Anything
// else: -1.
int parse_scale(const char *value);

// The largest factor whose window fits a desktop of the given size with room left for the
// window's frame (a twentieth of the width) and the desktop's panels (a tenth of the height);
// at least 1.
int fitting_scale(int desktop_w, int desktop_h);

// The factor TILESTACK_SCALE asks for, "auto" resolved against the desktop (so only after
// allegro_init). A bad value is named in one line on standard error and gives 1.
int asked_scale();

// The factor of the window now open: 1 until set.
int display_scale();
void set_display_scale(int factor);

// Copies a 640 x 480 frame to the top-left corner of `target`, each pixel as a factor x factor
// block. At factor 1 it is a plain blit. `frame` is a memory bitmap of target's depth.
void blit_enlarged(BITMAP *frame, BITMAP *target, int factor);

// Copies a frame to the screen at the window's factor. The callers hide the pointer around it.
void copy_to_screen(BITMAP *frame);

// Gives the library's pointer an enlarged copy of its picture, hot spot included, when the
// factor is above 1; call once the mode is open, before show_mouse. The copy is released by
// release_enlarged_pointer.
void enlarge_pointer();
void release_enlarged_pointer();

// The library's dialogs (file selector, message boxes) enlarged as well: between begin and end
// they draw into a bitmap of the screen's size, centred on it as the library centres them,
// whose middle 640 x 480 is a frame that starts as the frame on the screen; show_enlarged_dialog,
// called on every turn of a dialog's loop, copies that frame to the screen with the pointer
// drawn into it whenever either changed. At factor 1 (or when memory runs short) they draw on
// the screen as they always have, and these do nothing.
void begin_enlarged_dialogs();
void show_enlarged_dialog(int pointer_x, int pointer_y);
void end_enlarged_dialogs();

// The pointer's position on the screen as the dialogs see it between begin and end: where it
// lies in the bitmap they draw into. Outside them, and at factor 1, the screen's own.
int screen_to_dialog_x(int v);
int screen_to_dialog_y(int v);

// The pointer's position on the screen as a position in the frame (each block of the window
// is one pixel of the frame), and a frame position as the middle of its block on the screen.
int screen_to_frame(int v);
int frame_to_screen(int v);
