// Each board's record: counted game by game, written and read back, and every kind of bad
// file kept aside with one line while the records start afresh.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "play/records.h"
#include "support/files.h"

namespace {

std::string text_of(const std::string &path)
{
    const std::vector<unsigned char> bytes = read_file(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST(Records, CountedWrittenAndReadBack)
{
    TempDir dir;
    const std::string path = dir.path(records_file);
    Records records(path);
    const struct {
        bool cleared, helped;
        long long seconds;
        long long played, cleared_n, clean, best, run, best_run;
    } games[] = {
        {true, false, 300, 1, 1, 1, 300, 1, 1},  {true, true, 100, 2, 2, 1, 300, 2, 2},
        {false, false, 50, 3, 2, 1, 300, 0, 2},  {true, false, 252, 4, 3, 2, 252, 1, 2},
        {true, false, 400, 5, 4, 3, 252, 2, 2},  {true, false, 9, 6, 5, 4, 9, 3, 3},
    };
    for (const auto &g : games) {
        records.add("my board.lyt", g.cleared, g.helped, g.seconds);
        const BoardRecord &r = records.boards().at("my board.lyt");
        EXPECT_EQ(r.played, g.played);
        EXPECT_EQ(r.cleared, g.cleared_n);
        EXPECT_EQ(r.clean, g.clean);
        EXPECT_EQ(r.best, g.best);
        EXPECT_EQ(r.run, g.run);
        EXPECT_EQ(r.best_run, g.best_run);
    }
    records.add("1.lyt", false, false, 5);
    EXPECT_EQ(clear_note(records.boards().at("my board.lyt"), 252), "cleared in 4:12, best 0:09");
    const std::string text = text_of(path);
    EXPECT_EQ(text, "# played cleared clean best run best-run board\n"
                    "1 0 0 - 0 0 1.lyt\n"
                    "6 5 4 9 3 3 my board.lyt\n");
    Records again(path);
    again.load();
    EXPECT_EQ(records_text(again.boards()), text);
}

TEST(Records, AFileThatCannotBeReadIsKeptAsideAndRecordsStartAfresh)
{
    std::string random(300, '\0'), huge(2 << 20, '1');
    for (std::size_t i = 0; i < random.size(); i++)
        random[i] = static_cast<char>(i * 2654435761u >> 13);
    const struct {
        const char *what;
        std::string text;  // for a folder or a pipe, none
        const char *why;
    } cases[] = {
        {"cut in a line", "# x\n3 2 1 60 1", "line 2"},
        {"random bytes", random, "line 1"},
        {"a huge file", huge, "far too large"},
        {"a count beyond the largest", "3 2 1 60 1 12345678901 a.lyt\n", "line 1"},
        {"more cleared than played", "3 4 1 60 1 2 a.lyt\n", "line 1"},
        {"a clean clear without a time", "3 2 1 - 1 2 a.lyt\n", "line 1"},
        {"a run beyond the best", "3 2 1 60 2 1 a.lyt\n", "line 1"},
        {"a negative time", "3 2 1 -60 1 2 a.lyt\n", "line 1"},
        {"a board twice", "1 0 0 - 0 0 a.lyt\n1 0 0 - 0 0 a.lyt\n", "line 2"},
        {"a folder", "", "not a regular file"},
        {"a pipe", "", "not a regular file"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = dir.path(records_file), what = c.what;
        if (what == "a folder")
            ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
        else if (what == "a pipe")
            ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
        else
            write_text(path, c.text);
        write_text(path + ".bad", "an older one");
        Records records(path);
        ::testing::internal::CaptureStderr();
        records.add("a.lyt", true, false, 61);
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(path), std::string::npos) << said;
        EXPECT_NE(said.find(c.why), std::string::npos) << said;
        EXPECT_NE(said.find(".bad2"), std::string::npos) << said;
        EXPECT_EQ(said.find('\n'), said.size() - 1) << "one line: " << said;
        EXPECT_EQ(records.boards().at("a.lyt").played, 1) << "afresh";
        struct stat info;
        ASSERT_EQ(lstat((path + ".bad2").c_str(), &info), 0) << "kept aside";
        if (S_ISREG(info.st_mode)) {
            EXPECT_EQ(text_of(path + ".bad2"), c.text);
        }
        EXPECT_EQ(text_of(path + ".bad"), "an older one");
    }
}

}  // namespace
