// In the sanitizer build, leaks are looked for and found: a block whose only pointer is
// hidden from the leak checker is reported. (The run's own check at exit then finds none,
// since the block is freed again.)
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#if TILESTACK_SANITIZED
#include <sanitizer/lsan_interface.h>

namespace {

volatile std::uintptr_t hidden;  // the block's address, scrambled so no scan recognises it
constexpr std::uintptr_t scramble = 0x5A5A5A5A5A5A5A5Aull;

TEST(LeakCheck, ALostBlockIsReported)
{
    char *block = static_cast<char *>(std::malloc(48));
    block[0] = 1;
    hidden = reinterpret_cast<std::uintptr_t>(block) ^ scramble;
    block = nullptr;
    EXPECT_NE(__lsan_do_recoverable_leak_check(), 0) << "the leak checker is off";
    std::free(reinterpret_cast<char *>(hidden ^ scramble));
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
}

}  // namespace
#endif
