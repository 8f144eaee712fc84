#include "preview/rendering_test_support.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "preview/rendering.h"

namespace {

std::string renderedFile(const std::string& bytes, const std::string& name) {
  std::random_device random;
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() /
      ("timetable-rendering-" + std::to_string(random()) + "-" + std::to_string(random()));
  std::filesystem::create_directory(folder);
  std::string contents;
  try {
    std::vector<std::string> warnings;
    writeRenderedForm(bytes, (folder / name).u8string(), warnings);
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

std::string renderPdf(const std::string& bytes) { return renderedFile(bytes, "form.pdf"); }

std::string renderPng(const std::string& bytes) { return renderedFile(bytes, "form.png"); }

std::string renderSvg(const std::string& bytes) { return renderedFile(bytes, "form.svg"); }
