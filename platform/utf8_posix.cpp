// UTF-8 decoding and encoding where no system call does it independently of the process locale.
// Wide characters here are 32-bit Unicode values.
#include "platform/utf8.h"

namespace {

const wchar_t kReplacement = 0xFFFD;

// The number of continuation bytes that follow a lead byte, or -1 when the byte cannot start a
// sequence.
int continuationCount(unsigned char lead) {
  if (lead < 0x80) return 0;
  if (lead >= 0xC2 && lead <= 0xDF) return 1;
  if (lead >= 0xE0 && lead <= 0xEF) return 2;
  if (lead >= 0xF0 && lead <= 0xF4) return 3;
  return -1;
}

// The range the first continuation byte must fall in; it excludes overlong forms, surrogates
// and values beyond U+10FFFF.
bool firstContinuationFits(unsigned char lead, unsigned char byte) {
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead == 0xE0) low = 0xA0;
  if (lead == 0xED) high = 0x9F;
  if (lead == 0xF0) low = 0x90;
  if (lead == 0xF4) high = 0x8F;
  return byte >= low && byte <= high;
}

}  // namespace

std::wstring utf8ToWide(const std::string& text) {
  std::wstring result;
  result.reserve(text.size());
  size_t at = 0;
  while (at < text.size()) {
    auto lead = static_cast<unsigned char>(text[at]);
    int count = continuationCount(lead);
    if (count < 0) {
      result += kReplacement;
      ++at;
      continue;
    }
    // The lead byte's payload bits: all seven for ASCII, fewer the longer the sequence.
    char32_t value = count == 0 ? lead : static_cast<char32_t>(lead & (0x7F >> (count + 1)));
    size_t next = at + 1;
    int taken = 0;
    while (taken < count && next < text.size()) {
      auto byte = static_cast<unsigned char>(text[next]);
      bool fits = taken == 0 ? firstContinuationFits(lead, byte) : (byte & 0xC0) == 0x80;
      if (!fits) break;
      value = (value << 6) | (byte & 0x3F);
      ++next;
      ++taken;
    }
    // A truncated sequence is replaced as a whole; the byte that broke it starts anew.
    result += taken == count ? static_cast<wchar_t>(value) : kReplacement;
    at = next;
  }
  return result;
}

std::string wideToUtf8(const std::wstring& text) {
  std::string result;
  result.reserve(text.size());
  for (wchar_t character : text) {
    auto value = static_cast<char32_t>(character);
    if ((value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) value = kReplacement;
    if (value < 0x80) {
      result += static_cast<char>(value);
      continue;
    }
    // The lead byte tells the number of continuation bytes and carries the highest bits; each
    // continuation byte carries six bits.
    const int count = value < 0x800 ? 1 : value < 0x10000 ? 2 : 3;
    const char32_t lead[] = {0x00, 0xC0, 0xE0, 0xF0};
    result += static_cast<char>(lead[count] | (value >> (6 * count)));
    for (int at = count - 1; at >= 0; --at) {
      result += static_cast<char>(0x80u | ((value >> (6 * at)) & 0x3Fu));
    }
  }
  return result;
}
