// The table of text keys an import fills per object: every key added is
// found again with its value, however the table grew, and only exact keys
// are found.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/text_key_map.h"

namespace ambrix {
namespace {

TEST(TextKeyMap, FindsEveryKeyAddedAcrossGrowthAndNoOther) {
  TTextKeyMap<long long> map;
  constexpr int kKeys = 20000;
  auto key = [](int i) { return "7:object_" + std::to_string(i) + std::string(static_cast<std::size_t>(i % 40), 'x'); };
  for (int i = 0; i < kKeys; ++i) ASSERT_TRUE(map.Insert(key(i), i)) << i;
  EXPECT_EQ(map.Size(), static_cast<std::size_t>(kKeys));
  for (int i = 0; i < kKeys; ++i) {
    const long long* value = map.Find(key(i));
    ASSERT_NE(value, nullptr) << i;
    EXPECT_EQ(*value, i);
  }
  // Near misses: another letter case, a prefix, a longer text, another type.
  for (const std::string& absent : {std::string("7:OBJECT_1x"), std::string("7:object_1"), key(3) + "x",
                                    std::string("8:object_0"), std::string()})
    EXPECT_FALSE(map.Contains(absent)) << absent;
}

TEST(TextKeyMap, InsertKeepsTheFirstValueAndAssignReplacesIt) {
  TTextKeyMap<int> map;
  EXPECT_TRUE(map.Insert("a", 1));
  EXPECT_FALSE(map.Insert("a", 2));
  EXPECT_EQ(*map.Find("a"), 1);
  map.Assign("a", 3);
  map.Assign("b", 4);
  EXPECT_EQ(*map.Find("a"), 3);
  EXPECT_EQ(*map.Find("b"), 4);
  EXPECT_EQ(map.Size(), 2u);
  // Keys may hold any bytes, a line break and a zero byte among them.
  map.Assign(std::string("TABLE\nT\0x", 9), 5);
  EXPECT_EQ(*map.Find(std::string("TABLE\nT\0x", 9)), 5);
  EXPECT_FALSE(map.Contains("TABLE\nT"));
}

TEST(TextKeyMap, ClearedItFindsNothingAndFillsAgain) {
  TTextKeyMap<int> map;
  for (int i = 0; i < 100; ++i) map.Insert("key" + std::to_string(i), i);
  map.Clear();
  EXPECT_TRUE(map.Empty());
  EXPECT_FALSE(map.Contains("key1"));
  EXPECT_EQ(map.Find("key1"), nullptr);
  EXPECT_TRUE(map.Insert("key1", 10));
  EXPECT_EQ(*map.Find("key1"), 10);
}

}  // namespace
}  // namespace ambrix
