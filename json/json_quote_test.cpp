#include "json/json_quote.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/messages.h"

namespace {

// A text in the words of a message stays on one line and short, between the language's quotes.
TEST(JsonQuote, QuotedInMessageEscapesAndCutsTheTextAsJsonDoes) {
  EXPECT_EQ(quotedInMessage("Kraków Płaszów"), "\"Kraków Płaszów\"");
  EXPECT_EQ(quotedInMessage("a\"b\nc\x1b"), "\"a\\\"b\\nc\\u001b\"");
  const std::string shown = quotedInMessage(std::string(1000, 'x'));
  EXPECT_EQ(shown, "\"" + std::string(kQuotedBytes - 3, 'x') + "...\"");
}

}  // namespace
