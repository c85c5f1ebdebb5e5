// tilestack-layout generate and improve, run as a layout author runs them.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "board/layout.h"
#include "support/files.h"
#include "tool/tool_run.h"

namespace {

const std::string quick = " --deals 20 --symbols 36";  // small searches keep the tests short

// The rating block a command printed for a file, from its first line to the first-pair line.
std::string rating_of(const ToolRun &run, const std::string &file)
{
    size_t start = run.output.find(file + ": ");
    size_t end = run.output.find("first pair:", start);
    if (start == std::string::npos || end == std::string::npos)
        return "(no rating of " + file + ")";
    return run.output.substr(start, run.output.find('\n', end) - start);
}

Layout load(const std::string &path)
{
    Layout b;
    b.clear();
    EXPECT_TRUE(b.load(path.c_str())) << path;
    return b;
}

bool mirrored(const Layout &b)
{
    for (int i = 0; i < Layout::cell_count; i++) {
        int x = i % Layout::columns, rest = i - x;
        if ((b.cell(i) != 0) != (b.cell(rest + Layout::columns - 1 - x) != 0))
            return false;
    }
    return true;
}

TEST(GenerateTool, SameSeedSameShapeSoundAndRatedAsRateRatesIt)
{
    TempDir dir;
    const std::string request = " --pieces 40 --layers 3 --seed 5 --min-clear 85" + quick;
    ToolRun first = tool("generate " + shell_word(dir.path("a.lyt")) + request);
    ToolRun again = tool("generate " + shell_word(dir.path("b.lyt")) + request);
    ASSERT_EQ(first.status, 0) << first.output;
    ASSERT_EQ(again.status, 0) << again.output;
    EXPECT_EQ(read_file(dir.path("a.lyt")), read_file(dir.path("b.lyt")));
    EXPECT_TRUE(has(first, "layer 0\n")) << "the shape is printed\n" << first.output;

    Layout shape = load(dir.path("a.lyt"));
    EXPECT_EQ(shape.count, 40);
    EXPECT_TRUE(mirrored(shape)) << first.output;
    ToolRun check = tool("check " + shell_word(dir.path("a.lyt")));
    EXPECT_EQ(check.status, 0) << check.output;
    ToolRun shown = tool("show " + shell_word(dir.path("a.lyt")));
    EXPECT_FALSE(has(shown, "layer 3")) << "at most 3 layers\n" << shown.output;

    // The final rating printed is the one rate gives for the same file and seed.
    ToolRun rated = tool("rate " + shell_word(dir.path("a.lyt")) + " --seed 5 --symbols 36");
    EXPECT_EQ(rating_of(first, dir.path("a.lyt")), rating_of(rated, dir.path("a.lyt")));
    EXPECT_TRUE(has(first, "1000 deals from seed 5")) << first.output;
}

TEST(GenerateTool, WithoutMirrorEveryShapeIsStillSound)
{
    TempDir dir;
    for (const char *request : {" --pieces 2 --layers 1", " --pieces 60 --layers 6",
                                " --pieces 84 --layers 1"}) {
        std::string out = dir.path("none.lyt");
        ToolRun run = tool("generate " + shell_word(out) + request + " --symmetry none" + quick +
                           " --min-clear 0");
        ASSERT_EQ(run.status, 0) << request << "\n" << run.output;
        ToolRun check = tool("check " + shell_word(out));
        EXPECT_EQ(check.status, 0) << request << "\n" << check.output;
    }
}

TEST(GenerateTool, ShareNotReachedSaysTheBestAndWritesNothing)
{
    TempDir dir;
    // Every cell of two layers full: one shape only, whose deals are hardly ever cleared.
    ToolRun run = tool("generate " + shell_word(dir.path("full.lyt")) +
                       " --pieces 168 --layers 2 --min-clear 100 --deals 4 --nodes 500 "
                       "--symbols 36");
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_TRUE(has(run, "no shape clearing 100 % of 4 deals")) << run.output;
    EXPECT_TRUE(has(run, "the best cleared")) << run.output;
    EXPECT_EQ(dir.entries(), std::vector<std::string>{});
}

TEST(ImproveTool, ShippedLayoutAboveTheShareMovesNothing)
{
    TempDir dir;
    std::string in = dir.path("2.lyt"), out = dir.path("out.lyt");
    copy_file(std::string(TILESTACK_GAMEDATA) + "/2.lyt", in);
    std::vector<unsigned char> before = read_file(in);
    ToolRun run = tool("improve " + shell_word(in) + " " + shell_word(out) + " --min-clear 90" +
                       quick);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(has(run, "pieces moved: 0\n")) << run.output;
    EXPECT_FALSE(has(run, "note:")) << run.output;
    EXPECT_EQ(read_file(out), before);
    EXPECT_EQ(read_file(in), before);

    // Asked to write over the input, it leaves the very file alone. Every one of the 20
    // deals searched is cleared but not every one of the final 1000: a note says so, and the
    // shape still counts as found.
    struct stat old_info, new_info;
    ASSERT_EQ(stat(in.c_str(), &old_info), 0);
    ToolRun same = tool("improve " + shell_word(in) + " " + shell_word(in) + " --min-clear 100" +
                        quick);
    ASSERT_EQ(same.status, 0) << same.output;
    EXPECT_TRUE(has(same, "pieces moved: 0\n")) << same.output;
    EXPECT_TRUE(has(same, "note: at least 100 % of the 20 deals searched can be cleared, but "
                          "only 987 of the 1000 deals above (98.7 %)"))
        << same.output;
    ASSERT_EQ(stat(in.c_str(), &new_info), 0);
    EXPECT_EQ(new_info.st_ino, old_info.st_ino);
    EXPECT_EQ(read_file(in), before);
}

TEST(ImproveTool, MovesFewPiecesKeepingCountMirrorAndLayers)
{
    TempDir dir;
    // Two stacks of three and a long row: most deals bury a pair.
    Layout hard;
    hard.clear();
    for (int z = 0; z < 3; z++)
        for (int x : {3, 4, 7, 8})
            hard.set(x, 3, z, 1);
    for (int x = 2; x < 10; x++)
        hard.set(x, 5, 0, 1);
    std::string in = saved(dir, "hard.lyt", hard), out = dir.path("better.lyt");
    const std::vector<unsigned char> before = read_file(in);
    ToolRun run = tool("improve " + shell_word(in) + " " + shell_word(out) + " --min-clear 80" +
                       quick);
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(read_file(in), before) << "the input is left as it was";

    Layout better = load(out);
    EXPECT_EQ(better.count, hard.count);
    EXPECT_TRUE(mirrored(better)) << run.output;
    EXPECT_EQ(tool("check " + shell_word(out)).status, 0);
    EXPECT_FALSE(has(tool("show " + shell_word(out)), "layer 3")) << "no layer added on top";
    EXPECT_FALSE(has(run, "pieces moved: 0\n")) << run.output;

    ToolRun rated = tool("rate " + shell_word(out) + " --symbols 36");
    EXPECT_EQ(rating_of(run, out), rating_of(rated, out));
    EXPECT_EQ(rating_of(run, in), rating_of(tool("rate " + shell_word(in) + " --symbols 36"), in));
}

}  // namespace
