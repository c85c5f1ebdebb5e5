// Every file the program writes (a layout saved by the editor, the kept last game) on a full
// disk and in a folder that cannot be written: the old file stays whole, no temporary file is
// left, and what failed is said. (The layout tool's writes are run as a program in its tests.)
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

TEST(FileWrites, AFullDiskOrAFolderThatCannotBeWrittenKeepsTheOldFileAndSaysWhy)
{
    Layout shape;
    shape.clear();
    shape.set(5, 3, 0, 1);
    const KeptGame kept = two_pieces_kept();
    const std::vector<Writer> writers = {
        {"layout", [&](const std::string &p, std::string *why) { return shape.save(p.c_str(), why); }},
        {"kept game",
         [&](const std::string &p, std::string *why) { return save_kept_game(p.c_str(), kept, why); }},
    };
    // Root may write in any folder whatever its mode; the kernel's own folders refuse even root.
    TempDir dir;
    const std::string locked = geteuid() == 0 ? "/sys/kernel" : dir.path("locked");
    if (geteuid() != 0) {
        mkdir(locked.c_str(), 0755);
        chmod(locked.c_str(), 0555);
    }
    for (const Writer &w : writers) {
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

}  // namespace
