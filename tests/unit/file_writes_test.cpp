// Every file the program writes (a layout saved by the editor, the kept last game) on a full
// disk, in a folder that cannot be written and over what is not a regular file: the old file
// (or whatever is there) stays as it was, no temporary file is left, and what failed is said.
// (The layout tool's writes are run as a program in its tests.)
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "board/layout.h"
#include "play/kept_game.h"
#include "support/files.h"

namespace {

struct Writer {
    const char *what;
    std::function<bool(const std::string &path, std::string *why)> write;
};

KeptGame two_pieces_kept()
{
    KeptGame kept;
    kept.dealt.clear();
    kept.dealt.set(0, 0, 0, 1);
    kept.dealt.set(1, 0, 0, 1);
    kept.top_layer = 0;
    kept.shading_step = 70;
    return kept;
}

// The layout and the kept game, each written the way the program writes it.
std::vector<Writer> writers()
{
    Layout shape;
    shape.clear();
    shape.set(5, 3, 0, 1);
    const KeptGame kept = two_pieces_kept();
    return {
        {"layout", [shape](const std::string &p, std::string *why) { return shape.save(p.c_str(), why); }},
        {"kept game",
         [kept](const std::string &p, std::string *why) { return save_kept_game(p.c_str(), kept, why); }},
    };
}

TEST(FileWrites, AFullDiskOrAFolderThatCannotBeWrittenKeepsTheOldFileAndSaysWhy)
{
    // Root may write in any folder whatever its mode; the kernel's own folders refuse even root.
    TempDir dir;
    const std::string locked = geteuid() == 0 ? "/sys/kernel" : dir.path("locked");
    if (geteuid() != 0) {
        mkdir(locked.c_str(), 0755);
        chmod(locked.c_str(), 0555);
    }
    for (const Writer &w : writers()) {
        SCOPED_TRACE(w.what);
        const std::string old_path = dir.path("old");
        const std::vector<unsigned char> old(600, 'x');
        write_file(old_path, old);
        std::string why;
        bool written = true;
        with_file_size_limit(100, [&] { written = w.write(old_path, &why); });
        EXPECT_FALSE(written) << "a full disk";
        EXPECT_EQ(why.rfind("cannot write it: ", 0), 0u) << why;
        EXPECT_EQ(read_file(old_path), old);

        why.clear();
        EXPECT_FALSE(w.write(locked + "/new", &why));
        EXPECT_EQ(why.rfind("cannot create a file in its folder: ", 0), 0u) << why;
        const std::vector<std::string> expected =
            geteuid() == 0 ? std::vector<std::string>{"old"}
                           : std::vector<std::string>{"locked", "old"};
        EXPECT_EQ(dir.entries(), expected) << "no temporary file left";
    }
    if (geteuid() != 0)
        chmod(locked.c_str(), 0755);
}

// A rename would put a device, a pipe or a socket out of the way instead of writing to it:
// whatever is there, through links too, is refused and stays.
TEST(FileWrites, WhatIsNotARegularFileIsRefusedAndLeftAsItIs)
{
    TempDir dir;
    const std::vector<NonFile> targets = make_non_files(dir);
    ASSERT_GE(targets.size(), 3u);
    const std::vector<std::string> entries = dir.entries();
    for (const Writer &w : writers())
        for (const NonFile &target : targets) {
            SCOPED_TRACE(std::string(w.what) + " over " + target.what);
            const std::string before = kind_at(target.path);
            std::string why;
            EXPECT_FALSE(w.write(target.path, &why));
            EXPECT_EQ(why, "it is not a regular file");
            EXPECT_EQ(kind_at(target.path), before);
            EXPECT_EQ(dir.entries(), entries) << "no temporary file left";
        }
}

}  // namespace
