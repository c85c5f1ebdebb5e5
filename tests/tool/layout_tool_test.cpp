// The tilestack-layout command, run as a layout author runs it.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "board/layout.h"
#include "board/layout_text.h"
#include "support/files.h"
#include "tool/tool_run.h"

namespace {

// A sound little layout: four pieces on the floor, two stacked on them.
Layout sound_layout()
{
    Layout b;
    b.clear();
    for (int x = 0; x < 4; x++)
        b.set(x, 3, 0, 1);
    b.set(1, 3, 1, 1);
    b.set(2, 3, 1, 1);
    return b;
}

TEST(LayoutTool, HelpAndBadArguments)
{
    ToolRun help = tool("--help");
    EXPECT_EQ(help.status, 0);
    for (const char *command :
         {"show", "check", "from-text", "to-text", "rate", "generate", "improve"}) {
        EXPECT_TRUE(has(help, command)) << help.output;
        ToolRun own = tool(std::string(command) + " --help");
        EXPECT_EQ(own.status, 0) << command;
        EXPECT_TRUE(has(own, std::string("usage: tilestack-layout ") + command)) << own.output;
    }

    const char *bad[] = {"", "bogus", "show", "show a.lyt b.lyt", "from-text only-one",
                         "rate", "rate a.lyt --deals 0", "rate a.lyt --deals many",
                         "rate a.lyt --seed -1", "rate a.lyt --symbols 0", "rate a.lyt --nodes",
                         "rate a.lyt --colour red", "rate a.lyt b.lyt",
                         "rate a.lyt --more-nodes -1", "rate a.lyt --more-nodes lots",
                         // generate: an odd count, more than the layers hold, a share outside
                         // 0 to 100, and the like; improve: the two files and its options
                         "generate", "generate a.lyt b.lyt", "generate a.lyt --pieces 143",
                         "generate a.lyt --pieces 0", "generate a.lyt --layers 2 --pieces 170",
                         "generate a.lyt --layers 7", "generate a.lyt --min-clear 100.5",
                         "generate a.lyt --min-clear -1", "generate a.lyt --min-clear much",
                         "generate a.lyt --symmetry radial", "generate a.lyt --seed",
                         "improve a.lyt", "improve a.lyt b.lyt c.lyt",
                         "improve a.lyt b.lyt --pieces 10", "improve a.lyt b.lyt --min-clear 101"};
    for (const char *arguments : bad) {
        ToolRun run = tool(arguments);
        EXPECT_EQ(run.status, 2) << arguments << "\n" << run.output;
        EXPECT_TRUE(has(run, "tilestack-layout: ")) << arguments << "\n" << run.output;
    }
}

TEST(LayoutTool, CheckNamesEachProblemAlone)
{
    TempDir dir;
    std::string good = saved(dir, "good.lyt", sound_layout());
    ToolRun ok = tool("check " + shell_word(good));
    EXPECT_EQ(ok.status, 0) << ok.output;
    EXPECT_EQ(ok.output, "");

    Layout empty;
    empty.clear();
    Layout odd = sound_layout();
    odd.set(9, 0, 0, 1);
    Layout floating = sound_layout();
    floating.set(8, 5, 2, 1);
    floating.set(9, 5, 2, 1);
    Layout values = sound_layout();
    values.set(0, 3, 0, 7);
    std::vector<unsigned char> bytes503(503, 0), bytes505(505, 0);
    bytes505[0] = bytes505[1] = 1;
    write_file(dir.path("short.lyt"), bytes503);
    write_file(dir.path("long.lyt"), bytes505);

    const std::pair<std::string, std::string> cases[] = {
        {saved(dir, "empty.lyt", empty), "no pieces"},
        {saved(dir, "odd.lyt", odd), "odd count: 7"},
        {saved(dir, "floating.lyt", floating),
         "2 piece(s) resting on nothing (empty cell below): (8, 5, 2), (9, 5, 2)"},
        {saved(dir, "values.lyt", values), "1 cell(s) holding values other than 0 and 1: (0, 3, 0)"},
        {dir.path("short.lyt"), "wrong size: 503 bytes"},
        {dir.path("long.lyt"), "wrong size: 505 bytes"},
        {dir.path("missing.lyt"), "cannot be read"},
    };
    for (const auto &[path, problem] : cases) {
        ToolRun run = tool("check " + shell_word(path));
        EXPECT_EQ(run.status, 1) << path << "\n" << run.output;
        // One line naming the file and the problem.
        EXPECT_EQ(run.output.rfind(path + ": " + problem, 0), 0u) << run.output;
        EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
    }

    ToolRun several = tool("check " + shell_word(good) + " " + shell_word(dir.path("odd.lyt")));
    EXPECT_EQ(several.status, 1);
    EXPECT_FALSE(has(several, good)) << "a sound file gives no line";
}

TEST(LayoutTool, ShowPrintsTheLayersAndCount)
{
    TempDir dir;
    ToolRun run = tool("show " + shell_word(saved(dir, "a.lyt", sound_layout())));
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_TRUE(has(run, "layer 0\n............\n............\n............\noooo........\n"))
        << run.output;
    EXPECT_TRUE(has(run, "layer 1\n")) << run.output;
    EXPECT_FALSE(has(run, "layer 2")) << "only the layers in use";
    EXPECT_TRUE(has(run, "pieces: 6\nlayers used: 0, 1\nno problems\n")) << run.output;

    Layout odd = sound_layout();
    odd.set(11, 6, 0, 1);
    run = tool("show " + shell_word(saved(dir, "odd.lyt", odd)));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(has(run, "problem: odd count: 7")) << run.output;
}

TEST(LayoutTool, TextFormRoundTripsRandomLayoutsExactly)
{
    TempDir dir;
    std::srand(20261208);
    for (int round = 0; round < 20; round++) {
        std::vector<unsigned char> bytes(Layout::cell_count);
        int density = std::rand() % 100;
        for (unsigned char &b : bytes)
            b = std::rand() % 100 < density ? static_cast<unsigned char>(std::rand() % 256) : 0;
        write_file(dir.path("in.lyt"), bytes);

        ToolRun text = tool("to-text " + shell_word(dir.path("in.lyt")));
        ASSERT_EQ(text.status, 0) << text.output;
        write_text(dir.path("in.txt"), text.output);
        ToolRun back = tool("from-text " + shell_word(dir.path("in.txt")) + " " +
                        shell_word(dir.path("out.lyt")));
        ASSERT_EQ(back.status, 0) << back.output;
        EXPECT_EQ(read_file(dir.path("out.lyt")), bytes) << "round " << round << "\n"
                                                         << text.output;
    }
}

TEST(LayoutTool, TheNameTravelsInASideFileAndBack)
{
    TempDir dir;
    const std::string grid = layout_to_text(sound_layout());
    write_text(dir.path("plain.txt"), grid);
    write_text(dir.path("named.txt"), "name: Wide \xc3\x89toile\n" + grid);
    ToolRun run = tool("from-text " + shell_word(dir.path("named.txt")) + " " +
                       shell_word(dir.path("star.lyt")));
    ASSERT_EQ(run.status, 0) << run.output;
    const std::string side = "Wide \xc3\x89toile\n";
    EXPECT_EQ(read_file(dir.path("star.name")), std::vector<unsigned char>(side.begin(), side.end()));
    EXPECT_EQ(tool("to-text " + shell_word(dir.path("star.lyt"))).output,
              "name: Wide \xc3\x89toile\n" + grid);

    // Without a name: no side file written, and today's text.
    run = tool("from-text " + shell_word(dir.path("plain.txt")) + " " +
               shell_word(dir.path("plain.lyt")));
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(tool("to-text " + shell_word(dir.path("plain.lyt"))).output, grid);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"named.txt", "plain.lyt", "plain.txt",
                                                       "star.lyt", "star.name"}));

    // A bad name line is named and nothing is written.
    write_text(dir.path("bad.txt"), grid + "name: Late\n");
    run = tool("from-text " + shell_word(dir.path("bad.txt")) + " " + shell_word(dir.path("x.lyt")));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(has(run, "the name must come before the first layer")) << run.output;
    EXPECT_EQ(dir.entries().size(), 6u) << "no x.lyt, no x.name";
}

TEST(LayoutTool, FromTextReportsTheBadLineAndWritesNothing)
{
    TempDir dir;
    write_text(dir.path("bad.txt"), "layer 0\n............\nooo\n");
    ToolRun run = tool("from-text " + shell_word(dir.path("bad.txt")) + " " + shell_word(dir.path("x.lyt")));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(has(run, "line 3: a row needs 12 cells, this one has 3")) << run.output;
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"bad.txt"});
}

TEST(LayoutTool, ShippedLayoutsComeFromTheirTextSources)
{
    TempDir dir;
    for (int n = 0; n < 3; n++) {
        std::string name = std::to_string(n);
        ToolRun run = tool("from-text " + shell_word(std::string(TILESTACK_DATA_SOURCES) + "/layouts/" +
                                             name + ".txt") +
                       " " + shell_word(dir.path(name + ".lyt")));
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(read_file(dir.path(name + ".lyt")),
                  read_file(std::string(TILESTACK_GAMEDATA) + "/" + name + ".lyt"))
            << name;
        ToolRun check = tool("check " + shell_word(dir.path(name + ".lyt")));
        EXPECT_EQ(check.status, 0) << check.output;
    }
}

TEST(LayoutTool, EveryGalleryBoardIsSoundNamedAndFromItsSource)
{
    std::ifstream list(std::string(TILESTACK_GAMEDATA) + "/gallery.txt");
    ASSERT_TRUE(list.good());
    std::vector<std::string> files;
    for (std::string line; std::getline(list, line);)
        files.push_back(line);
    EXPECT_GE(files.size(), 7u);
    TempDir dir;
    for (const std::string &file : files) {
        ASSERT_GT(file.size(), 4u);
        const std::string stem = file.substr(0, file.size() - 4), shipped =
            std::string(TILESTACK_GAMEDATA) + "/" + file;
        EXPECT_EQ(file.substr(stem.size()), ".lyt");
        EXPECT_TRUE(std::string("012").find(stem) == std::string::npos || stem.size() != 1)
            << "the design files are not in the gallery";
        // Sound (an even count, every piece resting on something) and named.
        ToolRun check = tool("check " + shell_word(shipped));
        EXPECT_EQ(check.status, 0) << file << "\n" << check.output;
        ToolRun text = tool("to-text " + shell_word(shipped));
        EXPECT_EQ(text.output.rfind("name: ", 0), 0u) << file << "\n" << text.output;
        ToolRun made = tool("from-text " + shell_word(std::string(TILESTACK_DATA_SOURCES) +
                                                      "/layouts/" + stem + ".txt") +
                            " " + shell_word(dir.path(file)));
        ASSERT_EQ(made.status, 0) << made.output;
        EXPECT_EQ(read_file(dir.path(file)), read_file(shipped)) << file;
        EXPECT_EQ(read_file(dir.path(stem + ".name")),
                  read_file(std::string(TILESTACK_GAMEDATA) + "/" + stem + ".name"));
    }
}

TEST(LayoutTool, RateGivesSharesThatFollowFromTheShape)
{
    TempDir dir;
    // One pair side by side: every deal clears, whoever plays.
    Layout pair;
    pair.clear();
    pair.set(0, 0, 0, 1);
    pair.set(1, 0, 0, 1);
    ToolRun easy = tool("rate " + shell_word(saved(dir, "pair.lyt", pair)) + " --deals 20 --symbols 5");
    EXPECT_EQ(easy.status, 0) << easy.output;
    EXPECT_TRUE(has(easy, "20 deals from seed 1, 5 symbols")) << easy.output;
    EXPECT_TRUE(has(easy, "can be cleared:                 100.0 %")) << easy.output;
    EXPECT_TRUE(has(easy, "cleared taking the first pair:  100.0 %")) << easy.output;

    // One pair stacked on itself: the lower piece is never free while the upper one stays.
    Layout stacked;
    stacked.clear();
    stacked.set(4, 4, 0, 1);
    stacked.set(4, 4, 1, 1);
    ToolRun lost = tool("rate " + shell_word(saved(dir, "stack.lyt", stacked)) + " --deals 10 --symbols 3");
    EXPECT_EQ(lost.status, 0) << lost.output;
    EXPECT_TRUE(has(lost, "cannot be cleared:              100.0 %")) << lost.output;
    EXPECT_TRUE(has(lost, "cleared taking the first pair:    0.0 %")) << lost.output;
}

TEST(LayoutTool, RateLooksAgainAtTheDealsTheFirstLimitLeftOpen)
{
    // 40 deals of a shipped shape within 50 positions each leave two open; the second look
    // decides them as a search without a limit does, and names its limits.
    const std::string shape = shell_word(std::string(TILESTACK_GAMEDATA) + "/1.lyt") +
                              " --deals 40 --symbols 36";
    ToolRun first = tool("rate " + shape + " --nodes 50 --more-nodes 0");
    ASSERT_EQ(first.status, 0) << first.output;
    EXPECT_TRUE(has(first, "unknown (search limit):           5.0 %")) << first.output;
    EXPECT_FALSE(has(first, "then up to")) << first.output;
    ToolRun again = tool("rate " + shape + " --nodes 50");
    ASSERT_EQ(again.status, 0) << again.output;
    EXPECT_TRUE(has(again, "then up to 5000000 for each deal left open, 2000 in all"))
        << again.output;
    EXPECT_TRUE(has(again, "unknown (search limit):           0.0 %")) << again.output;
    ToolRun whole = tool("rate " + shape + " --nodes 5000000 --more-nodes 0");
    auto shares = [](const std::string &out) { return out.substr(out.find("can be cleared")); };
    EXPECT_EQ(shares(again.output), shares(whole.output));
}

TEST(LayoutTool, RateIsTheSameForTheSameSeedAndReadsTheStrip)
{
    std::string shipped = shell_word(std::string(TILESTACK_GAMEDATA) + "/1.lyt");
    std::string strip = shell_word(std::string(TILESTACK_GAMEDATA) + "/geek.tga");
    ToolRun a = tool("rate " + shipped + " --deals 25 --seed 7 --strip " + strip);
    ToolRun b = tool("rate " + shipped + " --deals 25 --seed 7 --symbols 36");
    ASSERT_EQ(a.status, 0) << a.output;
    EXPECT_TRUE(has(a, "36 symbols")) << a.output;
    EXPECT_EQ(a.output, b.output) << "the strip of 36 symbols and --symbols 36 agree";
    ToolRun c = tool("rate " + shipped + " --deals 25 --seed 8 --symbols 36");
    EXPECT_NE(a.output, c.output) << "another seed, other deals";

    TempDir dir;
    ToolRun missing = tool("rate " + shipped + " --strip " + shell_word(dir.path("none.tga")));
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(has(missing, "cannot count the symbols")) << missing.output;
}

TEST(LayoutTool, WhatIsNoRegularFileEndsAtOnceWithAMessage)
{
    TempDir dir;
    const std::string pipe = dir.path("pipe.lyt"), folder = dir.path("folder.lyt");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    for (const char *command : {"show", "check", "to-text", "rate"})
        for (const std::string &path : {pipe, folder, dir.path("missing.lyt")}) {
            // A pipe opened for reading would wait for a writer: the test would hang here.
            const std::string rest = std::string(command) == "rate" ? " --symbols 36" : "";
            ToolRun run = tool(command + (" " + shell_word(path)) + rest);
            EXPECT_EQ(run.status, 1) << command << " " << path << "\n" << run.output;
            EXPECT_TRUE(has(run, "cannot be read: ")) << run.output;
        }
}

TEST(LayoutTool, RateCountsTheSameOnAnyThreadsAndKnowsTheShippedStrip)
{
    TempDir dir;
    Layout shape;
    shape.clear();
    ASSERT_TRUE(shape.load((std::string(TILESTACK_GAMEDATA) + "/0.lyt").c_str()));
    saved(dir, "mine.lyt", shape);
    // No strip in the author's own folder: the count of the one the game ships, said once.
    ToolRun all = tool_in(dir.path(), "rate mine.lyt --deals 60");
    ASSERT_EQ(all.status, 0) << all.output;
    EXPECT_TRUE(has(all, "counting the 36 symbols of the strip the game ships")) << all.output;
    EXPECT_TRUE(has(all, "60 deals from seed 1, 36 symbols")) << all.output;
    EXPECT_EQ(tool_in(dir.path(), "rate mine.lyt --deals 60 --threads 1").output, all.output);
    EXPECT_EQ(tool_in(dir.path(), "rate mine.lyt --deals 60 --threads 3").output, all.output);
}

}  // namespace
