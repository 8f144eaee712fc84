// timetable-preview: shows a captured printer byte stream (the LPT1 file) as the printer would
// print it, on the terminal or as a PDF, PNG or SVG file.
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

#include "platform/command_options.h"
#include "platform/console.h"
#include "platform/file_system.h"
#include "platform/interrupt.h"
#include "platform/messages.h"
#include "platform/output_file.h"
#include "platform/translation.h"
#include "preview/printed_page.h"
#include "preview/rendering.h"
#include "preview/terminal.h"
#include "preview/terminal_text.h"

namespace {

// The text of --help, in the user's language.
const char* usageText() {
  return translate(
      "usage: timetable-preview PRINTER-FILE [-o OUTPUT]\n"
      "Shows a file of printer bytes (such as LPT1) as the printer prints it.\n"
      "\n"
      "  -o, --output OUTPUT   write OUTPUT instead of showing the form on the terminal: .pdf\n"
      "                        gets every page; .png or .svg the first page, or every page\n"
      "                        when the name holds %d (form-%d.png)\n"
      "  -h, --help            show this text\n"
      "      --version         show the program's version\n");
}

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
std::string parsePreviewLine(const std::vector<std::string>& arguments, PreviewLine& line) {
  std::vector<std::string> operands;
  const std::string error = readCommandOptions(
      arguments, "ho:", kOptions,
      [&line](int option, const std::string& argument) -> std::string {
        if (option == 'o') {
          line.output = argument;
          if (argument.empty()) return translate("the option -o needs a file name");
        }
        line.help = line.help || option == 'h';
        line.version = line.version || option == 'V';
        return std::string();
      },
      operands);
  if (!error.empty()) return error;
  if (operands.size() > 1) {
    return formatMessage(translate("unexpected argument \"{0}\""), {operands[1]});
  }
  if (!operands.empty()) line.input = operands.front();
  if (line.input.empty() && !line.help && !line.version) {
    return translate("no printer file was given");
  }
  return std::string();
}

// The largest printer file that is read: a form is a few kilobytes, and a file of many
// megabytes is not printer output of this program.
const std::uint64_t kMaxPrinterFileBytes = 16 * 1024 * 1024;
const char kMaxPrinterFileText[] = "16 MB";

using FileHandle = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

[[noreturn]] void failToRead(const std::string& path, const std::string& reason) {
  throw std::runtime_error(formatMessage(translate("cannot read {0}: {1}"), {path, reason}));
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
      failToRead(path, formatMessage(translate("it holds more than {0} bytes ({1}), the most a "
                                               "printer file may hold"),
                                     {std::to_string(kMaxPrinterFileBytes), kMaxPrinterFileText}));
    }
  }
  if (std::ferror(file)) failToRead(path, std::strerror(errno));
  return bytes;
}

void printWarnings(const std::vector<std::string>& warnings) {
  for (const std::string& text : warnings) warning(text);
}

int run(const PreviewLine& line) {
  if (line.help || line.version) {
    writeConsoleText(stdout, line.help ? usageText() : "timetable-preview " TIMETABLE_VERSION "\n");
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
      throw std::runtime_error(
          formatMessage(translate("{0} holds {1} bytes, more than the {2} ({3}) a printer file may "
                                  "hold"),
                        {input, std::to_string(size), std::to_string(kMaxPrinterFileBytes),
                         kMaxPrinterFileText}));
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
    if (!std::cout) throw std::runtime_error(translate("cannot write to standard output"));
  } else {
    writeRenderedForm(bytes, output, warnings);
    printWarnings(warnings);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // First, before any thread starts: a Ctrl+C removes a file not yet in place.
  startInterruptHandling();
  startTranslation();
  PreviewLine line;
  const std::string usageError = parsePreviewLine(commandLineArguments(argc, argv), line);
  if (!usageError.empty()) {
    error(formatMessage(translate("{0} (timetable-preview --help shows the usage)"), {usageError}));
    return 2;
  }
  try {
    return run(line);
  } catch (const std::exception& failure) {
    error(failure.what());
    return 1;
  }
}
