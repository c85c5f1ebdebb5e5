// Mending a shape: moving as few pieces as it takes, the likeliest moves rated first, until the
// shape's deals clear often enough. Part of the layout generator.
#pragma once

#include "solve/shape_judging.h"
#include "solve/shape_moves.h"

namespace shape_search {

// Moves one piece (or mirrored pair) at a time, each the nearest to the share among the
// likeliest moves, until the shape reaches the share, no move brings it nearer, or the
// budget is spent. True when the share was reached (the tracker holds the shape).
bool mend(Layout shape, Verdict verdict, const MoveRules &rules, Judge &judge, Tracker &tracker);

}  // namespace shape_search
