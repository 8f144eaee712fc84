#include "service/service_message.h"

#include <utility>
#include <vector>

const int kMaxAnswerDepth = 32;

namespace {

using nlohmann::json;

// Builds the answer's values from the parser's events, through the library's public SAX
// interface, and refuses an array or object that begins kMaxAnswerDepth levels deep (the answer
// itself is at 0) before it is built. Each event costs the same whatever came before, so reading
// takes time linear in the text: a filter that is asked after every value whether to keep it
// makes the library look over the parent again each time, which for a long array of empty
// objects grows with the square of its length.
struct BoundedReader : json::json_sax_t {
  explicit BoundedReader(json& answer) : root(answer) {}

  json& root;
  std::vector<json*> open;  // The arrays and objects open around the next value, outermost first.
  json* member = nullptr;   // Where the next value of the innermost object goes.
  bool tooDeep = false;

  // Puts a value where the next one goes, and returns where it now is.
  json* place(json&& value) {
    if (open.empty()) {
      root = std::move(value);
      return &root;
    }
    if (open.back()->is_array()) {
      open.back()->emplace_back(std::move(value));
      return &open.back()->back();
    }
    *member = std::move(value);
    return member;
  }
  bool begin(json&& container) {
    if (open.size() >= static_cast<size_t>(kMaxAnswerDepth)) {
      tooDeep = true;
      return false;  // The parser stops here.
    }
    open.push_back(place(std::move(container)));
    return true;
  }
  bool end() {
    open.pop_back();
    return true;
  }

  bool null() override {
    place(nullptr);
    return true;
  }
  bool boolean(bool value) override {
    place(value);
    return true;
  }
  bool number_integer(number_integer_t value) override {
    place(value);
    return true;
  }
  bool number_unsigned(number_unsigned_t value) override {
    place(value);
    return true;
  }
  bool number_float(number_float_t value, const string_t&) override {
    place(value);
    return true;
  }
  bool string(string_t& value) override {
    place(std::move(value));
    return true;
  }
  bool binary(binary_t& value) override {
    place(json::binary(std::move(value)));
    return true;
  }
  bool start_object(std::size_t) override { return begin(json::object()); }
  bool key(string_t& name) override {
    member = &(*open.back())[name];
    return true;
  }
  bool end_object() override { return end(); }
  bool start_array(std::size_t) override { return begin(json::array()); }
  bool end_array() override { return end(); }
  bool parse_error(std::size_t, const std::string&, const json::exception&) override {
    return false;
  }
};

}  // namespace

json serviceMessageOf(const std::string& body, long httpStatus, const std::string& url, int tries) {
  json answer;
  BoundedReader reader(answer);
  const bool read = json::sax_parse(body, &reader, json::input_format_t::json, true, false);
  if (reader.tooDeep) {
    throw answerFailure(FailureKind::kTooDeep, url, httpStatus,
                        static_cast<size_t>(kMaxAnswerDepth));
  }
  if (!read) throw answerFailure(FailureKind::kNotJson, url, httpStatus, 0, body.size(), tries);
  if (answer.is_null()) return nullptr;
  if (!answer.is_object()) {
    throw answerFailure(FailureKind::kNotAnObject, url, httpStatus, 0, 0, tries);
  }
  auto message = answer.find("message");
  return message == answer.end() ? json() : std::move(*message);
}

json fetchServiceMessage(const std::string& query, size_t maxBytes) {
  ServiceAnswer answer = fetchServiceAnswer(query, maxBytes);
  return serviceMessageOf(answer.body, answer.httpStatus, answer.url, answer.tries);
}
