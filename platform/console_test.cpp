#include "platform/console.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>

namespace {

// The words typed, read from text in place of standard input.
class TypedWords : public testing::Test {
 protected:
  void type(const std::string& text) {
    typed.str(text);
    std::streambuf* const before = std::cin.rdbuf(typed.rdbuf());
    if (saved == nullptr) saved = before;
  }
  void TearDown() override {
    if (saved != nullptr) std::cin.rdbuf(saved);
    std::cin.clear();
  }
  std::istringstream typed;
  std::streambuf* saved = nullptr;
};

TEST_F(TypedWords, ALongWordIsCutBeforeAWholeCharacterAndItsRestSkipped) {
  const std::string head(kMaxTypedWordBytes - 1, 'x');
  // "ł" is two bytes, and would be cut after its first.
  type("EP09 " + head + "\u0142" + std::string(1 << 20, 'y') + "\n160\n");
  EXPECT_EQ(readWord(), "EP09");
  EXPECT_EQ(readWord(), head);
  EXPECT_EQ(readWord(), "160");
  const std::string whole(kMaxTypedWordBytes, 'z');
  type(whole + " last");
  EXPECT_EQ(readWord(), whole);
  EXPECT_EQ(readWord(), "last");
}

}  // namespace
