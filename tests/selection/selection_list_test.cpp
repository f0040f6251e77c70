// The per-handler selection list: names kept in order, lengths summed, limits and emptying.
#include "selection/selection_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace vlpd {
namespace {

void AppendAll(SelectionList& list, std::initializer_list<const char*> names) {
  ASSERT_TRUE(list.Reserve(static_cast<int>(names.size())));
  for (const char* name : names) ASSERT_TRUE(list.Append(name, std::strlen(name)));
}

TEST(SelectionList, StartsEmpty) {
  SelectionList list;
  EXPECT_EQ(list.Count(), 0);
}

TEST(SelectionList, KeepsThreeNamesInOrderWithTheirTotalLength) {
  SelectionList list;
  AppendAll(list, {"C:\\a.txt", "C:\\dir", "D:\\b c.txt"});
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.TotalLength(), 24);
  EXPECT_STREQ(list.Name(0), "C:\\a.txt");
  EXPECT_STREQ(list.Name(1), "C:\\dir");
  EXPECT_STREQ(list.Name(2), "D:\\b c.txt");
}

TEST(SelectionList, CopiesOnlyTheGivenBytes) {
  SelectionList list;
  ASSERT_TRUE(list.Reserve(1));
  ASSERT_TRUE(list.Append("C:\\a.txtGARBAGE", 8));
  EXPECT_STREQ(list.Name(0), "C:\\a.txt");
  EXPECT_EQ(list.TotalLength(), 8);
}

TEST(SelectionList, AcceptsUpTo259BytesAndRejectsLonger) {
  SelectionList list;
  ASSERT_TRUE(list.Reserve(2));
  const std::string longest(259, 'x');
  const std::string too_long(260, 'y');
  EXPECT_TRUE(list.Append(longest.c_str(), longest.size()));
  EXPECT_FALSE(list.Append(too_long.c_str(), too_long.size()));
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(std::string(list.Name(0)), longest);
  EXPECT_EQ(list.TotalLength(), 259);
}

TEST(SelectionList, RejectsNamesBeyondTheReservedRoom) {
  SelectionList list;
  ASSERT_TRUE(list.Reserve(1));
  EXPECT_TRUE(list.Append("a", 1));
  EXPECT_FALSE(list.Append("b", 1));
  EXPECT_EQ(list.Count(), 1);

  SelectionList none;
  EXPECT_FALSE(none.Append("a", 1));
  EXPECT_EQ(none.Count(), 0);
}

TEST(SelectionList, FreeEmptiesAndIsHarmlessTwiceOrWhenEmpty) {
  SelectionList list;
  list.Free();
  EXPECT_EQ(list.Count(), 0);
  AppendAll(list, {"C:\\a.txt", "C:\\dir"});
  list.Free();
  EXPECT_EQ(list.Count(), 0);
  list.Free();
  EXPECT_EQ(list.Count(), 0);
}

TEST(SelectionList, ReserveDropsEarlierNamesAndRestartsTheTotal) {
  SelectionList list;
  AppendAll(list, {"C:\\old1.txt", "C:\\old2.txt"});
  AppendAll(list, {"C:\\new.txt"});
  ASSERT_EQ(list.Count(), 1);
  EXPECT_STREQ(list.Name(0), "C:\\new.txt");
  EXPECT_EQ(list.TotalLength(), 10);
}

TEST(SelectionList, KeepsEachNamesUtf16FormBesideIt) {
  SelectionList list;
  ASSERT_TRUE(list.Reserve(3));
  const std::u16string hyo = u"C:\\\u8868.txt";
  const std::u16string short_of = u"C:\\caf\u00E9\u2615.txt";
  ASSERT_TRUE(list.Append("C:\\\x95\x5C.txt", 9, hyo.c_str(), hyo.size()));
  ASSERT_TRUE(list.Append("C:\\CAF_~1.TXT", 13, short_of.c_str(), short_of.size()));
  ASSERT_TRUE(list.Append("C:\\ansi.txt", 10));  // no UTF-16 form known
  EXPECT_EQ(std::u16string(list.WideName(0)), hyo);
  EXPECT_EQ(std::u16string(list.WideName(1)), short_of);
  EXPECT_EQ(list.WideName(2), nullptr);
  EXPECT_STREQ(list.Name(1), "C:\\CAF_~1.TXT");
  EXPECT_EQ(list.TotalLength(), 32);
  EXPECT_EQ(list.TotalWideLength(), hyo.size() + short_of.size());
}

TEST(SelectionList, RefusesAMissingOrOverlongUtf16FormAndKeepsTheListAsItWas) {
  SelectionList list;
  ASSERT_TRUE(list.Reserve(3));
  const std::u16string longest(259, u'w');
  const std::u16string too_long(260, u'w');
  EXPECT_FALSE(list.Append("a", 1, nullptr, 0));
  EXPECT_FALSE(list.Append("b", 1, too_long.c_str(), too_long.size()));
  EXPECT_TRUE(list.Append("c", 1, longest.c_str(), longest.size()));
  ASSERT_EQ(list.Count(), 1);
  EXPECT_STREQ(list.Name(0), "c");
  EXPECT_EQ(std::u16string(list.WideName(0)), longest);
  EXPECT_EQ(list.TotalLength(), 1);
  EXPECT_EQ(list.TotalWideLength(), 259u);
}

TEST(SelectionList, ManyNamesOutgrowWhatWasPlannedAndNoneMoves) {
  // Far more than the room planned, over many chunks.
  constexpr int kNames = 3000;
  auto name_of = [](int i) { return "C:\\folder\\file" + std::to_string(i) + ".txt"; };
  SelectionList list;
  ASSERT_TRUE(list.Reserve(kNames, 16, 16));
  std::vector<const char*> where;
  std::size_t total = 0;
  for (int i = 0; i < kNames; ++i) {
    const std::string name = name_of(i);
    const std::u16string wide(name.begin(), name.end());
    ASSERT_TRUE(list.Append(name.c_str(), name.size(), wide.c_str(), wide.size()));
    where.push_back(list.Name(i));
    total += name.size();
  }
  ASSERT_EQ(list.Count(), kNames);
  EXPECT_EQ(list.TotalLength(), static_cast<int>(total));
  for (int i = 0; i < kNames; ++i) {
    const std::string name = name_of(i);
    ASSERT_EQ(list.Name(i), where[static_cast<std::size_t>(i)]);
    ASSERT_EQ(list.Name(i), name);
    ASSERT_EQ(std::u16string(list.WideName(i)), std::u16string(name.begin(), name.end()));
  }
}

TEST(SelectionList, ReserveOfNothingLeavesAnEmptyList) {
  SelectionList list;
  AppendAll(list, {"C:\\a.txt"});
  EXPECT_TRUE(list.Reserve(0));
  EXPECT_EQ(list.Count(), 0);
  EXPECT_FALSE(list.Append("a", 1));
}

}  // namespace
}  // namespace vlpd
