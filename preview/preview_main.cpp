// timetable-preview: shows a captured printer byte stream (the LPT1 file) as the printer would
// print it, on the terminal or as a PDF, PNG or SVG file.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "preview/printed_page.h"
#include "preview/rendering.h"
#include "preview/terminal.h"
#include "preview/terminal_text.h"

namespace {

const char kUsage[] =
    "usage: timetable-preview PRINTER-FILE [-o OUTPUT]\n"
    "  Without -o the form is shown on the terminal. OUTPUT ending in .pdf gets every page;\n"
    "  .png or .svg gets the first page, or every page when the name holds %d (form-%d.png).\n";

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path + ": " + std::strerror(errno));
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) throw std::runtime_error("cannot read " + path + ": " + std::strerror(errno));
  return bytes;
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr)
    throw std::runtime_error("cannot write " + path + ": " + std::strerror(errno));
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const int error = errno;
  if (std::fclose(file) != 0 || !written) {
    throw std::runtime_error("cannot write " + path + ": " +
                             std::strerror(written ? errno : error));
  }
}

void printWarnings(const std::vector<std::string>& warnings) {
  for (const std::string& warning : warnings) std::cerr << "warning: " << warning << "\n";
}

int run(const std::vector<std::string>& args) {
  std::string input;
  std::string output;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size()) {
      output = args[++i];
    } else if (input.empty() && !args[i].empty() && args[i][0] != '-') {
      input = args[i];
    } else {
      std::cerr << kUsage;
      return 2;
    }
  }
  if (input.empty()) {
    std::cerr << kUsage;
    return 2;
  }
  const std::string bytes = readFile(input);
  std::vector<std::string> warnings;
  if (output.empty()) {
    const std::vector<PrintedPage> pages = interpretPrinterBytes(bytes, warnings);
    printWarnings(warnings);
    std::cout << terminalText(pages, standardOutputIsTerminal()) << std::flush;
    if (!std::cout) throw std::runtime_error("cannot write to standard output");
  } else {
    const std::vector<RenderedFile> files = renderPrinterBytes(bytes, output, warnings);
    printWarnings(warnings);
    for (const RenderedFile& file : files) writeFile(file.path, file.contents);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& failure) {
    std::cerr << "error: " << failure.what() << std::endl;
    return 1;
  }
}
