// The veil and board-frame benchmarks, registered at run time once the library is up.
#pragma once

void register_veil_benchmarks();
