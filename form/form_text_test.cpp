#include "form/form_text.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "form/printed_text_test_support.h"

namespace {

std::vector<size_t> ruleColumns(const std::wstring& line) {
  std::vector<size_t> columns;
  for (size_t column = 0; column < line.size(); ++column) {
    if (strokesOf(line[column]).up || strokesOf(line[column]).down) columns.push_back(column);
  }
  return columns;
}

TEST(FormText, SizesAndEnds) {
  EXPECT_EQ(formHead.size(), 550u);
  EXPECT_EQ(std::count(formHead.begin(), formHead.end(), L'\n'), 6);
  EXPECT_EQ(formHead.back(), L'\n');
  EXPECT_EQ(formFoot.size(), 86u);
  EXPECT_EQ(formFoot.back(), 0x0C);
  EXPECT_EQ(formFoot.find(L'\n'), std::wstring::npos);
  for (wchar_t c : formHead + formFoot) EXPECT_LT(static_cast<unsigned>(c), 256u);
}

TEST(FormText, HeadLinesPrint85ColumnsWithRulesInPlace) {
  std::vector<std::wstring> lines = printedLines(formHead);
  ASSERT_EQ(lines.size(), 7u);  // Six lines and the empty rest after the last line feed.
  EXPECT_TRUE(lines[6].empty());
  const std::vector<size_t> headRules = {0, 3, 6, 39, 59, 66, 75, 84};
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(lines[i].size(), 85u) << "head line " << i + 1;
    std::vector<size_t> rules = ruleColumns(lines[i]);
    for (size_t column : headRules) {
      EXPECT_NE(std::find(rules.begin(), rules.end(), column), rules.end())
          << "head line " << i + 1 << " column " << column;
    }
  }
  EXPECT_EQ(lines[3], std::wstring(L"\xB3VP\xB3VP\xB3") + std::wstring(13, L' ') + L"Stacja" +
                          std::wstring(13, L' ') + L"\xB3" + std::wstring(6, L' ') + L"Godzina" +
                          std::wstring(6, L' ') + L"\xB3 LOK2 \xC3" + std::wstring(8, 0xC4) +
                          L"\xC5" + std::wstring(8, 0xC4) + L"\xB4");
  EXPECT_NE(lines[5].find(L"D\x88.Poc. "), std::wstring::npos);
}

TEST(FormText, HeadSwitchesEndOnTheirLine) {
  size_t start = 0;
  for (int line = 0; line < 6; ++line) {
    size_t end = formHead.find(L'\n', start);
    std::wstring text = formHead.substr(start, end - start);
    auto count = [&](const wchar_t* sequence) {
      size_t n = 0;
      for (size_t at = text.find(sequence); at != std::wstring::npos;
           at = text.find(sequence, at + 1)) {
        ++n;
      }
      return n;
    };
    EXPECT_EQ(count(L"\x1bw1"), count(L"\x1bw0")) << "line " << line + 1;
    EXPECT_EQ(count(L"\x1bS1"), count(L"\x1bT")) << "line " << line + 1;
    start = end + 1;
  }
  EXPECT_EQ(formHead.substr(formHead.find(L"Stacja") - 3, 12), L"\x1bw1Stacja\x1bw0");
}

TEST(FormText, FootClosesTheBlockGrid) {
  std::wstring foot = printedLines(formFoot)[0];
  ASSERT_EQ(foot.size(), 86u);  // 85 columns and the form feed.
  EXPECT_EQ(foot[0], 0xC0);
  EXPECT_EQ(foot[84], 0xD9);
  std::vector<size_t> tees;
  for (size_t column = 0; column < 85; ++column) {
    if (foot[column] == 0xC1) tees.push_back(column);
  }
  EXPECT_EQ(tees, (std::vector<size_t>{6, 39, 49, 59, 66, 75}));
}

}  // namespace

namespace {

// Text in printer code as bytes, for comparison with what the printer receives.
std::string bytesOf(const std::wstring& text) {
  std::string bytes;
  for (wchar_t c : text) bytes += static_cast<char>(c);
  return bytes;
}

TEST(FormText, IncompleteFootSaysWhatIsMissingBetweenTheRuleAndTheFormFeed) {
  const std::wstring rule = formFoot.substr(0, formFoot.size() - 1);
  EXPECT_EQ(markedFormFoot({incompleteFormMark(3, L"Gdynia Orłowo", L"Hel")}),
            rule + L"\n" +
                std::wstring(L"\x1b"
                             L"E") +
                std::wstring(L"UWAGA: FORMULARZ NIEPE") + wchar_t{0x9D} +
                L"NY. Brak dalszych punkt" + wchar_t{0xA2} + L"w trasy: 3 (od Gdynia Or" +
                wchar_t{0x88} + L"owo do Hel)" +
                L"\x1b"
                L"F\n\f");
  EXPECT_EQ(bytesOf(markedFormFoot({incompleteFormMark(1, L"Hel", L"Hel")})).substr(rule.size()),
            "\n\x1b"
            "EUWAGA: FORMULARZ NIEPE\x9dNY. Brak dalszych punkt\xa2w trasy: 1 (Hel)\x1b"
            "F\n\f");
}

TEST(FormText, TheCopyMarkFollowsTheIncompleteMarkEachFramedAlike) {
  const std::string rule = bytesOf(formFoot.substr(0, formFoot.size() - 1));
  EXPECT_EQ(bytesOf(markedFormFoot({copyFormMark(L"2026-12-10 04:10")})),
            rule +
                "\n\x1b"
                "EUWAGA: ROZK\x9d"
                "AD Z KOPII. Pobrany 2026-12-10 04:10 UTC; serwer rozk\x88"
                "ad\xa2w niedost\xa9pny.\x1b"
                "F\n\f");
  const std::string both = bytesOf(
      markedFormFoot({incompleteFormMark(1, L"Hel", L"Hel"), copyFormMark(L"2026-12-10 04:10")}));
  EXPECT_EQ(both.substr(rule.size()),
            "\n\x1b"
            "EUWAGA: FORMULARZ NIEPE\x9dNY. Brak dalszych punkt\xa2w trasy: 1 (Hel)\x1b"
            "F\n\x1b"
            "EUWAGA: ROZK\x9d"
            "AD Z KOPII. Pobrany 2026-12-10 04:10 UTC; serwer rozk\x88"
            "ad\xa2w niedost\xa9pny.\x1b"
            "F\n\f");
  EXPECT_EQ(markedFormFoot({}), formFoot);
}

}  // namespace
