// The board grid: cell order, count bookkeeping, the support rule and layout files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "board/layout.h"
#include "board/layout_text.h"
#include "support/files.h"

namespace {

int counted(const Layout &l)
{
    int n = 0;
    for (int i = 0; i < Layout::cell_count; i++)
        n += l.cell(i) != 0;
    return n;
}

// The names in a folder, sorted.
std::vector<std::string> names_in(const std::string &folder)
{
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

Layout empty_layout()
{
    Layout l;
    l.clear();
    return l;
}

}  // namespace

TEST(LayoutGrid, CellIndexIsColumnThenRowThenLayer)
{
    EXPECT_EQ(Layout::index(0, 0, 0), 0);
    EXPECT_EQ(Layout::index(1, 0, 0), 1);
    EXPECT_EQ(Layout::index(0, 1, 0), 12);
    EXPECT_EQ(Layout::index(0, 0, 1), 84);
    EXPECT_EQ(Layout::index(11, 6, 5), 503);
    Layout l = empty_layout();
    l.set(3, 4, 2, 9);
    EXPECT_EQ(l.cell(3 + 12 * 4 + 84 * 2), 9);
    EXPECT_EQ(l.get(3, 4, 2), 9);
}

TEST(LayoutGrid, StaticBoardStartsEmpty)
{
    static Layout fresh;  // static storage, as the game's own board
    EXPECT_EQ(fresh.count, 0);
    EXPECT_EQ(counted(fresh), 0);
}

TEST(LayoutGrid, SetCellKeepsCountOfOccupiedCells)
{
    Layout l = empty_layout();
    l.set_cell(10, 1);
    EXPECT_EQ(l.count, 1);
    l.set_cell(10, 200);  // piece over piece
    EXPECT_EQ(l.count, 1);
    l.set_cell(11, 0);  // empty over empty
    EXPECT_EQ(l.count, 1);
    l.set_cell(10, 0);
    EXPECT_EQ(l.count, 0);
    for (int i = 0; i < Layout::cell_count; i++)
        l.set_cell(i, i % 7);
    EXPECT_EQ(l.count, counted(l));
    l.clear();
    EXPECT_EQ(l.count, 0);
    EXPECT_EQ(counted(l), 0);
}

TEST(LayoutGrid, PieceNeedsBottomLayerOrPieceBelow)
{
    Layout l = empty_layout();
    EXPECT_TRUE(l.is_supported(0, 0, 0));
    EXPECT_TRUE(l.is_supported(11, 6, 0));
    EXPECT_FALSE(l.is_supported(4, 3, 1));
    l.set(4, 3, 0, 1);
    EXPECT_TRUE(l.is_supported(4, 3, 1));
    EXPECT_FALSE(l.is_supported(4, 3, 2));
    EXPECT_FALSE(l.is_supported(5, 3, 1));  // only the cell directly below counts
}

TEST(LayoutFiles, FileOffsetIsCellIndex)
{
    TempDir dir;
    std::vector<unsigned char> bytes(504, 0);
    bytes[0] = 1;
    bytes[503] = 1;
    write_file(dir.path("a.lyt"), bytes);
    Layout l = empty_layout();
    ASSERT_TRUE(l.load(dir.path("a.lyt").c_str()));
    EXPECT_EQ(l.count, 2);
    EXPECT_EQ(l.get(0, 0, 0), 1);
    EXPECT_EQ(l.get(11, 6, 5), 1);

    write_file(dir.path("zeros.lyt"), std::vector<unsigned char>(504, 0));
    ASSERT_TRUE(l.load(dir.path("zeros.lyt").c_str()));
    EXPECT_EQ(l.count, 0);
}

TEST(LayoutFiles, SaveThenLoadKeepsEveryByteValue)
{
    TempDir dir;
    Layout original = empty_layout();
    for (int i = 0; i < Layout::cell_count; i++)
        original.set_cell(i, (i * 7) % 256);  // every value 0..255 occurs
    ASSERT_TRUE(original.save(dir.path("all.lyt").c_str()));

    std::vector<unsigned char> bytes = read_file(dir.path("all.lyt"));
    ASSERT_EQ(bytes.size(), 504u);
    for (int i = 0; i < Layout::cell_count; i++)
        ASSERT_EQ(bytes[i], original.cell(i)) << "offset " << i;

    Layout loaded = empty_layout();
    ASSERT_TRUE(loaded.load(dir.path("all.lyt").c_str()));
    EXPECT_EQ(0, std::memcmp(loaded.cells, original.cells, 504));
    EXPECT_EQ(loaded.count, original.count);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"all.lyt"}) << "no temporary file is left";
}

TEST(LayoutFiles, LongerFileLoadsItsFirst504Bytes)
{
    TempDir dir;
    std::vector<unsigned char> bytes(600, 1);
    write_file(dir.path("long.lyt"), bytes);
    Layout l = empty_layout();
    ASSERT_TRUE(l.load(dir.path("long.lyt").c_str()));
    EXPECT_EQ(l.count, 504);
}

// A load that cannot complete must leave the board exactly as it was and say so.
TEST(LayoutFiles, FailedLoadLeavesLayoutUnchanged)
{
    TempDir dir;
    Layout before = empty_layout();
    for (int i = 0; i < Layout::cell_count; i += 5)
        before.set_cell(i, 3);

    write_file(dir.path("short.lyt"), std::vector<unsigned char>(10, 1));
    write_file(dir.path("503.lyt"), std::vector<unsigned char>(503, 1));
    write_file(dir.path("empty.lyt"), {});
    mkdir(dir.path("folder.lyt").c_str(), 0755);
    const std::string failing[] = {dir.path("short.lyt"), dir.path("503.lyt"),
                                   dir.path("empty.lyt"), dir.path("missing.lyt"),
                                   dir.path("folder.lyt"), dir.path("no/such/dir/x.lyt")};
    for (const std::string &path : failing) {
        Layout l = before;
        EXPECT_FALSE(l.load(path.c_str())) << path;
        EXPECT_EQ(0, std::memcmp(l.cells, before.cells, 504)) << path;
        EXPECT_EQ(l.count, before.count) << path;
    }
}

// A save that cannot complete must leave any old file intact and say so.
TEST(LayoutFiles, FailedSaveKeepsOldFile)
{
    TempDir dir;
    Layout l = empty_layout();
    l.set(1, 1, 0, 1);
    EXPECT_FALSE(l.save(dir.path("no/such/dir/x.lyt").c_str()));

    // A target that is a directory cannot be replaced by a file.
    mkdir(dir.path("folder.lyt").c_str(), 0755);
    EXPECT_FALSE(l.save(dir.path("folder.lyt").c_str()));
    struct stat info;
    ASSERT_EQ(stat(dir.path("folder.lyt").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"folder.lyt"});

    // A write cut short (a file-size limit below 504 bytes) keeps the old file.
    std::vector<unsigned char> old_bytes(504, 7);
    write_file(dir.path("old.lyt"), old_bytes);
    bool saved = true;
    with_file_size_limit(100, [&] { saved = l.save(dir.path("old.lyt").c_str()); });
    EXPECT_FALSE(saved);
    EXPECT_EQ(read_file(dir.path("old.lyt")), old_bytes);
}

// Saving through symbolic links: the file a link leads to is written, links stay links.
TEST(LayoutFiles, SaveThroughALinkWritesTheFileItLeadsTo)
{
    TempDir dir;
    mkdir(dir.path("sub").c_str(), 0755);
    const std::vector<unsigned char> old_bytes(504, 7);
    write_file(dir.path("real.lyt"), old_bytes);
    write_file(dir.path("sub/deep.lyt"), old_bytes);
    ASSERT_EQ(symlink("real.lyt", dir.path("link.lyt").c_str()), 0);
    ASSERT_EQ(symlink("sub/deep.lyt", dir.path("middle").c_str()), 0);
    ASSERT_EQ(symlink(dir.path("middle").c_str(), dir.path("chain.lyt").c_str()), 0);
    ASSERT_EQ(symlink("sub/new.lyt", dir.path("dangling.lyt").c_str()), 0);
    ASSERT_EQ(symlink("loop.lyt", dir.path("loop.lyt").c_str()), 0);

    Layout l = empty_layout();
    l.set(2, 3, 0, 1);
    std::vector<unsigned char> new_bytes(l.cells, l.cells + 504);
    for (const char *name : {"link.lyt", "chain.lyt", "dangling.lyt"})
        EXPECT_TRUE(l.save(dir.path(name).c_str())) << name;
    EXPECT_EQ(read_file(dir.path("real.lyt")), new_bytes);
    EXPECT_EQ(read_file(dir.path("sub/deep.lyt")), new_bytes);
    EXPECT_EQ(read_file(dir.path("sub/new.lyt")), new_bytes) << "a link to nothing: the file is made";
    EXPECT_FALSE(l.save(dir.path("loop.lyt").c_str())) << "a link to itself cannot be followed";

    struct stat info;
    for (const char *name : {"link.lyt", "middle", "chain.lyt", "dangling.lyt"}) {
        ASSERT_EQ(lstat(dir.path(name).c_str(), &info), 0);
        EXPECT_TRUE(S_ISLNK(info.st_mode)) << name << " must stay a link";
    }
    char leads_to[64] = {};
    ASSERT_GT(readlink(dir.path("link.lyt").c_str(), leads_to, sizeof leads_to - 1), 0);
    EXPECT_STREQ(leads_to, "real.lyt");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"chain.lyt", "dangling.lyt", "link.lyt",
                                                       "loop.lyt", "middle", "real.lyt", "sub"}));
    EXPECT_EQ(names_in(dir.path("sub")), (std::vector<std::string>{"deep.lyt", "new.lyt"}))
        << "no temporary file";
}

TEST(LayoutFiles, SavedFileKeepsThePermissionBitsOfTheOneItReplaces)
{
    TempDir dir;
    Layout l = empty_layout();
    struct stat info;
    for (mode_t mode : {0600, 0640, 0444}) {
        const std::string path = dir.path("kept.lyt");
        write_file(path, std::vector<unsigned char>(504, 0));
        chmod(path.c_str(), mode);
        ASSERT_TRUE(l.save(path.c_str()));
        ASSERT_EQ(stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, mode);
    }
    const mode_t saved_mask = umask(022);
    ASSERT_TRUE(l.save(dir.path("new644.lyt").c_str()));
    umask(077);
    ASSERT_TRUE(l.save(dir.path("new600.lyt").c_str()));
    umask(saved_mask);
    ASSERT_EQ(stat(dir.path("new644.lyt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u) << "a new file: the usual mode under the umask";
    ASSERT_EQ(stat(dir.path("new600.lyt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
}

// The temporary file is made new: no file already there is truncated, written through or
// renamed over the target, whatever its name.
TEST(LayoutFiles, TemporaryFileNeverTakesAFileThatIsThere)
{
    TempDir dir;
    const std::string guessable = "x.lyt.tmp-" + std::to_string(getpid());
    write_text(dir.path(guessable), "someone else's file\n");
    write_text(dir.path("victim"), "not to be written\n");
    ASSERT_EQ(symlink("victim", dir.path("y.lyt.tmp-" + std::to_string(getpid())).c_str()), 0);
    Layout l = empty_layout();
    l.set(0, 0, 0, 1);
    ASSERT_TRUE(l.save(dir.path("x.lyt").c_str()));
    ASSERT_TRUE(l.save(dir.path("y.lyt").c_str()));
    const std::vector<unsigned char> saved(l.cells, l.cells + 504);
    EXPECT_EQ(read_file(dir.path("x.lyt")), saved);
    EXPECT_EQ(read_file(dir.path("y.lyt")), saved);
    const std::vector<unsigned char> others = read_file(dir.path(guessable));
    EXPECT_EQ(std::string(others.begin(), others.end()), "someone else's file\n");
    const std::vector<unsigned char> victim = read_file(dir.path("victim"));
    EXPECT_EQ(std::string(victim.begin(), victim.end()), "not to be written\n");
    EXPECT_EQ(dir.entries().size(), 5u) << "nothing left behind";
}

// A file the user may write in a folder they may not: no temporary file can be made beside
// it, and the file is not written in place (a save cut short there would lose it), so the
// save fails and the file stays as it was. In a folder they may write but not read, the save
// is made; only the folder's sync after the rename fails, which costs nothing. Run as another
// user when the tests run as root, for whom permissions prove nothing.
TEST(LayoutFiles, FolderThatCannotBeWrittenKeepsTheFileAndSaysSo)
{
    struct Case {
        const char *what;
        mode_t folder_mode;
        bool saved;
    };
    const Case cases[] = {{"a folder that cannot be written", 0555, false},
                          {"a folder that cannot be read", 0333, true}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        chmod(dir.path().c_str(), 0755);
        const std::string folder = dir.path("locked");
        const std::string path = folder + "/x.lyt";
        mkdir(folder.c_str(), 0755);
        const std::vector<unsigned char> old_bytes(504, 3);
        write_file(path, old_bytes);
        const bool root = geteuid() == 0;
        constexpr uid_t nobody = 65534;
        if (root) {
            ASSERT_EQ(chown(path.c_str(), nobody, nobody), 0);
            ASSERT_EQ(chown(folder.c_str(), nobody, nobody), 0);
        }
        chmod(folder.c_str(), c.folder_mode);

        Layout l = empty_layout();
        l.set(4, 4, 0, 1);
        const pid_t child = fork();
        if (child == 0) {
            if (root && (setgid(nobody) != 0 || setuid(nobody) != 0))
                _exit(3);
            if ((access(folder.c_str(), W_OK) == 0) != ((c.folder_mode & 0200) != 0) ||
                (access(folder.c_str(), R_OK) == 0) != ((c.folder_mode & 0400) != 0) ||
                access(path.c_str(), W_OK) != 0)
                _exit(2);  // not the case under test
            _exit(l.save(path.c_str()) == c.saved ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        chmod(folder.c_str(), 0755);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_NE(WEXITSTATUS(status), 2) << "the folder's or the file's permissions were not those under test";
        ASSERT_NE(WEXITSTATUS(status), 3) << "could not become another user";
        EXPECT_EQ(WEXITSTATUS(status), 0) << (c.saved ? "the save must be made" : "the save must fail");
        EXPECT_EQ(read_file(path), c.saved ? std::vector<unsigned char>(l.cells, l.cells + 504)
                                           : old_bytes);
        EXPECT_EQ(names_in(folder), std::vector<std::string>{"x.lyt"});
    }
}

TEST(LayoutText, RoundTripsEveryValue)
{
    Layout l = empty_layout();
    for (int i = 0; i < Layout::cell_count; i += 3)
        l.set_cell(i, (i * 13) % 256);
    std::string text = layout_to_text(l);
    Layout back = empty_layout();
    std::string error;
    ASSERT_TRUE(layout_from_text(text, back, error)) << error << "\n" << text;
    EXPECT_EQ(0, std::memcmp(back.cells, l.cells, 504)) << text;
    EXPECT_EQ(back.count, l.count);
}

TEST(LayoutText, ReadsGridsAndRejectsBadOnes)
{
    std::string text = "# a comment\n"
                       "layer 1\n"
                       "o...........\n............\n............\n............\n"
                       "............\n............\n...........[9]\n";
    Layout l = empty_layout();
    std::string error;
    ASSERT_TRUE(layout_from_text(text, l, error)) << error;
    EXPECT_EQ(l.get(0, 0, 1), 1);
    EXPECT_EQ(l.get(11, 6, 1), 9);
    EXPECT_EQ(l.count, 2);

    const char *bad[] = {
        "layer 6\n",                                         // no such layer
        "layer 0\n............\n",                           // too few rows
        "layer 0\nooooooooooooo\n",                          // 13 cells
        "layer 0\nooooooooooo\n",                            // 11 cells
        "layer 0\n[300]...........\n",                       // value too large
        "layer 0\nx...........\n",                           // unknown mark
        "layer 0\n" "............\n............\n............\n............\n"
        "............\n............\n............\nlayer 0\n",  // layer twice
    };
    for (const char *b : bad) {
        Layout untouched = l;
        EXPECT_FALSE(layout_from_text(b, untouched, error)) << b;
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(untouched.count, l.count);
    }
}
