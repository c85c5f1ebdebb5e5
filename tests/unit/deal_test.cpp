// Dealing a shape into shuffled pairs of symbols.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>

#include "play/deal.h"
#include "support/boards.h"

namespace {

// A shape of `pieces` pieces filling cells in index order from `first`.
Layout shape(int pieces, int first = 0)
{
    Layout b;
    b.clear();
    for (int i = first; i < first + pieces; i++)
        b.set_cell(i, 1);
    return b;
}

std::map<int, int> symbol_counts(const Layout &b)
{
    std::map<int, int> counts;
    for (int i = 0; i < Layout::cell_count; i++)
        if (b.cell(i) != 0)
            counts[b.cell(i)]++;
    return counts;
}

TEST(Dealing, EmptyShapeDealsNothingAndDrawsNoRandomNumber)
{
    Layout b = shape(0);
    std::srand(99);
    int expected_next = std::rand();
    std::srand(99);
    Deal d;
    EXPECT_FALSE(deal(b, 36, d));
    EXPECT_EQ(std::rand(), expected_next) << "deal must not have called rand()";
    EXPECT_TRUE(d.pair_list.empty());
}

TEST(Dealing, SameSeedSameBoard)
{
    Layout a = shape(144), b = shape(144);
    Deal da, db;
    std::srand(1234);
    ASSERT_TRUE(deal(a, 36, da));
    std::srand(1234);
    ASSERT_TRUE(deal(b, 36, db));
    EXPECT_EQ(0, std::memcmp(a.cells, b.cells, 504));

    Layout c = shape(144);
    std::srand(1235);
    deal(c, 36, db);
    EXPECT_NE(0, std::memcmp(a.cells, c.cells, 504)) << "another seed, another board";
}

// Ratings deal on many threads from sequences of their own: each must be rand() after
// srand() number for number, and leave rand()'s own state alone.
TEST(Dealing, OwnSequenceIsRandAfterSrandAndLeavesRandAlone)
{
    for (unsigned seed : {0u, 1u, 2u, 77u, 4096u, 0x7fffffffu, 0xffffffffu}) {
        for (unsigned s = seed; s < seed + 300; s++) {
            std::srand(s);
            RandSequence own(s);
            for (int draw = 0; draw < 2000; draw++)
                ASSERT_EQ(own.next(), std::rand()) << "seed " << s << ", draw " << draw;
        }
    }
    Layout a = shape(144), b = shape(144);
    Deal da, db;
    std::srand(5);
    const int first = std::rand();
    std::srand(5);
    ASSERT_TRUE(deal(a, 36, da));
    std::srand(5);
    RandSequence own(5);
    ASSERT_TRUE(deal(b, 36, db, own));
    EXPECT_EQ(0, std::memcmp(a.cells, b.cells, 504)) << "the same board";
    EXPECT_EQ(std::rand(), first) << "rand() is where srand(5) left it";
}

// The exact sequence: pairs in order, 10000 swaps of rand() % count drawn a then b, the
// pieces filled in cell order. Replayed here independently of the dealing code.
TEST(Dealing, FollowsTheShuffleCallForCall)
{
    const int count = 10, symbols = 3;
    Layout b = shape(count, 100);
    std::srand(77);
    Deal d;
    ASSERT_TRUE(deal(b, symbols, d));

    int list[count];
    for (int i = 0; i < count; i++)
        list[i] = (i / 2) % symbols;
    std::srand(77);
    for (int s = 0; s < 10000; s++) {
        int x = std::rand() % count;
        int y = std::rand() % count;
        std::swap(list[x], list[y]);
    }
    for (int k = 0; k < count; k++)
        EXPECT_EQ(b.cell(100 + k), list[k] + 1) << "piece " << k;
}

TEST(Dealing, SymbolsComeInPairsAndCountIsKept)
{
    for (int pieces : {2, 4, 30, 144, 504}) {
        Layout b = shape(pieces);
        std::srand(pieces);
        Deal d;
        ASSERT_TRUE(deal(b, 36, d));
        EXPECT_EQ(b.count, pieces);
        for (auto [symbol, n] : symbol_counts(b)) {
            EXPECT_GE(symbol, 1);
            EXPECT_LE(symbol, 36);
            EXPECT_EQ(n % 2, 0) << "symbol " << symbol << " with " << pieces << " pieces";
        }
    }
}

TEST(Dealing, PairsTakeSymbolsInTurn)
{
    Layout b = shape(144);
    Deal d;
    std::srand(5);
    deal(b, 36, d);
    for (auto [symbol, n] : symbol_counts(b))
        EXPECT_EQ(n, 4) << "symbol " << symbol;
    EXPECT_EQ(symbol_counts(b).size(), 36u);

    b = shape(144);
    deal(b, 42, d);
    auto counts = symbol_counts(b);
    EXPECT_EQ(counts.size(), 42u);
    for (int s = 1; s <= 30; s++)
        EXPECT_EQ(counts[s], 4) << "symbol " << s;
    for (int s = 31; s <= 42; s++)
        EXPECT_EQ(counts[s], 2) << "symbol " << s;

    b = shape(20);
    deal(b, 36, d);
    counts = symbol_counts(b);
    EXPECT_EQ(counts.size(), 10u) << "10 pairs use symbols 1 to 10 only";
    EXPECT_EQ(counts.rbegin()->first, 10);

    b = shape(8);
    deal(b, 2, d);  // a strip of 80 pixels holds 2 whole symbols
    counts = symbol_counts(b);
    EXPECT_EQ(counts[1], 4);
    EXPECT_EQ(counts[2], 4);
}

TEST(Dealing, OddCountLeavesOnePieceWithADefinedSymbol)
{
    for (unsigned seed = 0; seed < 20; seed++) {
        Layout b = shape(7);
        Deal d;
        std::srand(seed);
        deal(b, 36, d);
        auto counts = symbol_counts(b);
        EXPECT_EQ(b.count, 7);
        // Three pairs take symbols 1, 2 and 3; the seventh piece bears symbol 1.
        EXPECT_EQ(counts[1], 3) << "seed " << seed << ::testing::PrintToString(b);
        EXPECT_EQ(counts[2], 2);
        EXPECT_EQ(counts[3], 2);
    }
}

TEST(Dealing, TopLayerAndShadingStep)
{
    const int expected_step[6] = {70, 60, 50, 40, 30, 20};
    for (int top = 0; top < 6; top++) {
        Layout b = shape(2);
        b.set(3, 3, top, 1);
        b.set(4, 3, top, 1);
        Deal d;
        std::srand(1);
        deal(b, 36, d);
        EXPECT_EQ(d.top_layer, top);
        EXPECT_EQ(d.shading_step, expected_step[top]);
        EXPECT_EQ(shading_step_for(top), expected_step[top]);
    }

    // Pieces on layer 2 and one on layer 4: top layer 4.
    Layout b;
    b.clear();
    for (int x = 0; x < 12; x++)
        b.set(x, 2, 2, 1);
    b.set(5, 5, 4, 1);
    b.set(6, 6, 2, 1);
    Deal d;
    deal(b, 36, d);
    EXPECT_EQ(d.top_layer, 4);
    EXPECT_EQ(d.shading_step, 30);
}

}  // namespace
