// timetable-preview: shows a captured printer byte stream (the LPT1 file) as the printer would
// print it, on the terminal or as a PDF, PNG or SVG file.
#include <getopt.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "driver/console.h"
#include "platform/interrupt.h"
#include "preview/printed_page.h"
#include "preview/rendering.h"
#include "preview/terminal.h"
#include "preview/terminal_text.h"
#include "printer/file_system.h"
#include "printer/output_file.h"

namespace {

const char kUsage[] =
    "usage: timetable-preview PRINTER-FILE [-o OUTPUT]\n"
    "Shows a file of printer bytes (such as LPT1) as the printer prints it.\n"
    "\n"
    "  -o, --output OUTPUT   write OUTPUT instead of showing the form on the terminal: .pdf\n"
    "                        gets every page; .png or .svg the first page, or every page\n"
    "                        when the name holds %d (form-%d.png)\n"
    "  -h, --help            show this text\n"
    "      --version         show the program's version\n";

const option kOptions[] = {
    {"output", required_argument, nullptr, 'o'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

struct PreviewLine {
  std::string input;
  std::string output;
  bool help = false;
  bool version = false;
};

// Returns the text of a usage error, or an empty text when the line was understood.
std::string parsePreviewLine(std::vector<std::string> words, PreviewLine& line) {
  words.insert(words.begin(), "timetable-preview");
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(&word[0]);
  argv.push_back(nullptr);
  char** args = argv.data();
  const int argc = static_cast<int>(words.size());
  optind = 0;
  opterr = 0;
  int option;
  while ((option = getopt_long(argc, args, ":ho:", kOptions, nullptr)) != -1) {
    const std::string word = args[optind - 1];
    if (option == 'o') {
      line.output = optarg;
    } else if (option == 'h') {
      line.help = true;
    } else if (option == 'V') {
      line.version = true;
    } else if (option == ':') {
      return "the option " + word + " needs an argument";
    } else {
      return "unknown option " + word;
    }
  }
  if (optind < argc) line.input = args[optind++];
  if (optind < argc) return std::string("unexpected argument \"") + args[optind] + "\"";
  if (line.input.empty() && !line.help && !line.version) return "no printer file was given";
  return std::string();
}

std::string readFile(const std::string& path) {
  errno = 0;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(openFileForReading(path), std::fclose);
  if (!file) throw std::runtime_error("cannot read " + path + ": " + std::strerror(errno));
  std::string bytes;
  char buffer[65536];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
    bytes.append(buffer, count);
  if (std::ferror(file.get())) {
    throw std::runtime_error("cannot read " + path + ": " + std::strerror(errno));
  }
  return bytes;
}

void printWarnings(const std::vector<std::string>& warnings) {
  for (const std::string& warning : warnings) std::cerr << "warning: " << warning << "\n";
}

int run(const PreviewLine& line) {
  if (line.help || line.version) {
    std::cout << (line.help ? kUsage : "timetable-preview " TIMETABLE_VERSION "\n") << std::flush;
    return 0;
  }
  const std::string& input = line.input;
  const std::string& output = line.output;
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
    for (const RenderedFile& file : files) writeFileWhole(file.path, file.contents);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // First, before any thread starts: a Ctrl+C removes a file not yet in place.
  startInterruptHandling();
  PreviewLine line;
  const std::string usageError = parsePreviewLine(commandLineArguments(argc, argv), line);
  if (!usageError.empty()) {
    std::cerr << "error: " << usageError << " (timetable-preview --help shows the usage)"
              << std::endl;
    return 2;
  }
  try {
    return run(line);
  } catch (const std::exception& failure) {
    std::cerr << "error: " << failure.what() << std::endl;
    return 1;
  }
}
