#include "render/translucent.h"

// Placeholder until the veil lands: draws nothing.
void fill_rect_translucent(BITMAP *, int, int, int, int, int, int) {}
