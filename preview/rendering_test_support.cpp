#include "preview/rendering_test_support.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "preview/rendering.h"

namespace {

std::string renderedFile(const std::string& bytes, const std::string& name, RenderedFormat format) {
  std::random_device random;
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() /
      ("timetable-rendering-" + std::to_string(random()) + "-" + std::to_string(random()));
  std::filesystem::create_directory(folder);
  std::string contents;
  try {
    std::vector<std::string> warnings;
    std::vector<std::string> notices;
    writeRenderedForm(bytes, (folder / name).u8string(), format, warnings, notices);
    std::ifstream file(folder / name, std::ios::binary);
    contents.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  } catch (...) {
    std::filesystem::remove_all(folder);
    throw;
  }
  std::filesystem::remove_all(folder);
  return contents;
}

}  // namespace

std::string renderPdf(const std::string& bytes) {
  return renderedFile(bytes, "form.pdf", RenderedFormat::kPdf);
}

std::string renderPng(const std::string& bytes) {
  return renderedFile(bytes, "form.png", RenderedFormat::kPng);
}

std::string renderSvg(const std::string& bytes) {
  return renderedFile(bytes, "form.svg", RenderedFormat::kSvg);
}
