// The veil and board-frame benchmarks, registered at run time once the library is up.
#pragma once

#include <allegro.h>

void register_veil_benchmarks();

// A 640 x 480 bitmap of the given depth with a smooth picture on it, for the benchmarks that
// copy or veil a whole frame.
BITMAP *smooth_frame_picture(int depth);
