// The per-handler selection list: names kept in order, lengths summed, limits and emptying.
#include "selection/selection_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

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

TEST(SelectionList, ReserveOfNothingLeavesAnEmptyList) {
  SelectionList list;
  AppendAll(list, {"C:\\a.txt"});
  EXPECT_TRUE(list.Reserve(0));
  EXPECT_EQ(list.Count(), 0);
  EXPECT_FALSE(list.Append("a", 1));
}

}  // namespace
}  // namespace vlpd
