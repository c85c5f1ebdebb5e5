// The copy of a frame to the screen at window factors 1, 2 and 3, registered at run time once
// the library is up.
#pragma once

void register_frame_copy_benchmarks();
