// Test entry: starts the library with no hardware (memory bitmaps of any depth work, and the
// input globals are plain variables that tests write), then runs the tests.
#include <allegro.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>

int main(int argc, char *argv[])
{
    ::testing::InitGoogleTest(&argc, argv);
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0)
        return 1;
    return RUN_ALL_TESTS();
}
END_OF_MAIN()
