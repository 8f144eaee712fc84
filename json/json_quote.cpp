#include "json/json_quote.h"

#include <cstring>

#include "platform/messages.h"

namespace {

using nlohmann::json;

const int kQuotedLevels = 3;

// The length of text's first bytes up to at most bytes, ending before a character that would be
// cut.
size_t wholeCharacters(const std::string& text, size_t bytes) {
  if (bytes >= text.size()) return text.size();
  while (bytes > 0 && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80) --bytes;
  return bytes;
}

// The text quoted in at most about room bytes. Escapes may make the quoted text several times
// longer than the text, so a head that comes out too long is halved until it fits.
std::string quotedText(const std::string& text, size_t room) {
  size_t taken = wholeCharacters(text, room);
  for (;;) {
    std::string quoted =
        json(text.substr(0, taken)).dump(-1, ' ', false, json::error_handler_t::replace);
    if (quoted.size() <= room + 2 || taken == 0) {
      if (taken < text.size()) quoted.insert(quoted.size() - 1, kLeftOut);
      return quoted;
    }
    taken = wholeCharacters(text, taken / 2);
  }
}

void appendQuoted(const json& value, int level, std::string& out) {
  const size_t room = kQuotedBytes > out.size() ? kQuotedBytes - out.size() : 0;
  if (value.is_string()) {
    out += quotedText(value.get_ref<const std::string&>(), room);
    return;
  }
  if (!value.is_structured()) {
    out += value.dump(-1, ' ', false, json::error_handler_t::replace);
    return;
  }
  const bool isObject = value.is_object();
  out += isObject ? '{' : '[';
  if (!value.empty() && (level == kQuotedLevels || room == 0)) out += kLeftOut;
  if (level < kQuotedLevels && room > 0) {
    for (auto member = value.begin(); member != value.end(); ++member) {
      if (member != value.begin()) out += ',';
      if (out.size() >= kQuotedBytes) {
        out += kLeftOut;
        break;
      }
      if (isObject) out += quotedText(member.key(), kQuotedBytes - out.size()) + ':';
      appendQuoted(*member, level + 1, out);
    }
  }
  out += isObject ? '}' : ']';
}

}  // namespace

std::string quotedJson(const nlohmann::json& value) {
  std::string out;
  appendQuoted(value, 0, out);
  return out;
}

std::string quotedInMessage(const std::string& text) {
  // Room for kLeftOut within the bound, so that quoted() has nothing more to cut.
  const std::string json = quotedText(text, kQuotedBytes - std::strlen(kLeftOut));
  return quoted(json.substr(1, json.size() - 2));
}
