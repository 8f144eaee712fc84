#include "preview/rendered_format.h"

#include "platform/text_case.h"

namespace {

bool endsWithIgnoringCase(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && sameIgnoringCase(text.substr(text.size() - end.size()), end);
}

}  // namespace

bool namesEverySheet(const std::string& path) { return path.find("%d") != std::string::npos; }

bool renderedFormatOf(const std::string& path, RenderedFormat& format) {
  if (endsWithIgnoringCase(path, ".pdf")) {
    format = RenderedFormat::kPdf;
  } else if (endsWithIgnoringCase(path, ".png")) {
    format = RenderedFormat::kPng;
  } else if (endsWithIgnoringCase(path, ".svg")) {
    format = RenderedFormat::kSvg;
  } else {
    return false;
  }
  return true;
}

std::string renderedFilePath(const std::string& path, RenderedFormat format, size_t sheet) {
  if (format == RenderedFormat::kPdf || !namesEverySheet(path)) return path;
  const size_t at = path.find("%d");
  return path.substr(0, at) + std::to_string(sheet) + path.substr(at + 2);
}
