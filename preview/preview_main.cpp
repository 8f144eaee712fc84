// timetable-preview: shows a captured printer byte stream (the LPT1 file) as the printer would
// print it, on the terminal or as a PDF, PNG or SVG file.
#include <getopt.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "driver/console.h"
#include "preview/printed_page.h"
#include "preview/rendering.h"
#include "preview/terminal.h"
#include "preview/terminal_text.h"
#include "printer/file_system.h"

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

// The largest printer file that is read: a form is a few kilobytes, and a file of many
// megabytes is not printer output of this program.
const std::uint64_t kMaxPrinterFileBytes = 16 * 1024 * 1024;
const char kMaxPrinterFileText[] = "16 MB";

using FileHandle = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

[[noreturn]] void failToRead(const std::string& path, const std::string& reason) {
  throw std::runtime_error("cannot read " + path + ": " + reason);
}

// The bytes of a file with a size, read from its start by each reader.
PrinterBytes bytesOfFile(std::FILE* file, const std::string& path) {
  return [file, path]() -> PrinterByteReader {
    errno = 0;
    if (std::fseek(file, 0, SEEK_SET) != 0) failToRead(path, std::strerror(errno));
    return [file, path](char* buffer, size_t size) {
      errno = 0;
      const size_t count = std::fread(buffer, 1, size, file);
      if (count < size && std::ferror(file)) failToRead(path, std::strerror(errno));
      return count;
    };
  };
}

// The whole of something that can be read only once, such as a pipe, up to the limit.
std::string readWhole(std::FILE* file, const std::string& path) {
  std::string bytes;
  char buffer[65536];
  size_t count;
  errno = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes.append(buffer, count);
    if (bytes.size() > kMaxPrinterFileBytes) {
      failToRead(path, "it holds more than " + std::to_string(kMaxPrinterFileBytes) + " bytes (" +
                           kMaxPrinterFileText + "), the most a printer file may hold");
    }
  }
  if (std::ferror(file)) failToRead(path, std::strerror(errno));
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
  errno = 0;
  FileHandle file(openFileForReading(input), std::fclose);
  if (!file) failToRead(input, std::strerror(errno));
  // A file is measured before it is read; what has no size is read whole, since it cannot be
  // read twice.
  std::uint64_t size = 0;
  std::string piped;
  PrinterBytes bytes;
  if (sizeOfOpenFile(file.get(), size)) {
    if (size > kMaxPrinterFileBytes) {
      throw std::runtime_error(input + " holds " + std::to_string(size) + " bytes, more than the " +
                               std::to_string(kMaxPrinterFileBytes) + " (" + kMaxPrinterFileText +
                               ") a printer file may hold");
    }
    bytes = bytesOfFile(file.get(), input);
  } else {
    piped = readWhole(file.get(), input);
    bytes = printerBytesOf(piped);
  }
  std::vector<std::string> warnings;
  if (output.empty()) {
    countSheets(bytes, warnings);
    printWarnings(warnings);
    const bool bold = standardOutputIsTerminal();
    std::vector<std::string> givenBefore;
    interpretPrinterPages(bytes(), kNoLineLimit, givenBefore, [bold](const PrintedPage& page) {
      std::cout << terminalTextOfPage(page, bold);
      return static_cast<bool>(std::cout);
    });
    std::cout << std::flush;
    if (!std::cout) throw std::runtime_error("cannot write to standard output");
  } else {
    writeRenderedForm(bytes, output, warnings);
    printWarnings(warnings);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
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
