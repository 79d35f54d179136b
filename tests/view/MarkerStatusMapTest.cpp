#include "view/MarkerStatusMap.h"

#include <gtest/gtest.h>

namespace {

TMarkerStatus At(int32_t position, uint32_t color = 0)
{
    TMarkerStatus m;
    m.Position = position;
    m.Color = TBgrColor(color);
    return m;
}

TEST(MarkerStatusMapTest, NamesIgnoreCaseAndKeepTheirFirstSpellingAndPlace)
{
    TMarkerStatusMap map;
    map.Put("LOOPSTART", At(1));
    map.Put("LOOPEND", At(2, 255));
    map.Put("loopend", At(7, 65280));
    ASSERT_EQ(map.Count(), 2);
    const TMarkerStatus* end = map.Find("LoopEnd");
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(end->Position, 7);
    EXPECT_EQ(end->Color, TBgrColor(65280));
    EXPECT_EQ(map.Items(1), end);
    EXPECT_EQ(map.NameOf(end), "LOOPEND");
    EXPECT_EQ(map.Find("PLAYCURSOR"), nullptr);
}

TEST(MarkerStatusMapTest, StoresCopiesAndNamesOnlyItsOwnObjects)
{
    TMarkerStatusMap map;
    TMarkerStatus mine = At(5, 9);
    map.Put("A", mine);
    mine.Position = 99;
    TMarkerStatus* stored = map.Find("A");
    EXPECT_NE(stored, &mine);
    EXPECT_EQ(stored->Position, 5);
    const TMarkerStatus equal = At(5, 9);
    EXPECT_EQ(map.NameOf(&equal), "");
    EXPECT_EQ(map.NameOf(nullptr), "");

    // Putting the stored object itself back under its own name is safe.
    map.Put("a", *stored);
    EXPECT_EQ(map.Find("A")->Position, 5);
}

TEST(MarkerStatusMapTest, RemoveAndClearKeepTheOrderOfWhatIsLeft)
{
    TMarkerStatusMap map;
    EXPECT_FALSE(map.Remove("A"));
    map.Clear();
    map.Put("A", At(1));
    map.Put("B", At(2));
    map.Put("C", At(3));
    EXPECT_FALSE(map.Remove("D"));
    EXPECT_EQ(map.Count(), 3);
    EXPECT_TRUE(map.Remove("a"));
    ASSERT_EQ(map.Count(), 2);
    EXPECT_EQ(map.Items(0)->Position, 2);
    EXPECT_EQ(map.Items(1)->Position, 3);
    EXPECT_EQ(map.Items(-1), nullptr);
    EXPECT_EQ(map.Items(2), nullptr);
    map.Clear();
    EXPECT_EQ(map.Count(), 0);
    EXPECT_EQ(map.Items(0), nullptr);
}

// Only ASCII letters fold; every other byte, UTF-8 or not, counts as itself.
TEST(MarkerStatusMapTest, NamesFoldOnlyAsciiLetters)
{
    TMarkerStatusMap map;
    for (const char* name : {"\xff", "\xfe", "\xc3\x89", "\xc3\xa9", "Loop_1", "LOOP_1", "loop_1"})
        map.Put(name, At(map.Count()));
    EXPECT_EQ(map.Count(), 5);
    EXPECT_EQ(map.NameOf(map.Find("lOOP_1")), "Loop_1");
    EXPECT_EQ(map.Find("\xfe")->Position, 1);
    EXPECT_EQ(map.Find("\xc3\xa9")->Position, 3);
    EXPECT_EQ(map.Find("\xc3"), nullptr);
}

} // namespace
