// timetable-preview: shows a captured printer byte stream (the LPT1 file) as the printer would
// print it, on the terminal or as a PDF, PNG or SVG file.
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <exception>
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
      "Shows a file of printer bytes, such as LPT1 (- for standard input), as the\n"
      "printer prints it.\n"
      "\n"
      "  -o, --output OUTPUT   write OUTPUT instead of showing the form on the\n"
      "                        terminal: .pdf gets every page; .png or .svg the\n"
      "                        first page, or every page when the name holds %d\n"
      "                        (form-%d.png)\n"
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
    return formatMessage(translate("unexpected argument {0}"), {quoted(operands[1])});
  }
  if (!operands.empty()) line.input = operands.front();
  if (line.input.empty() && !line.help && !line.version) {
    return translate("no printer file was given");
  }
  return std::string();
}

// The largest printer file that is read: a form is a few kilobytes, and a file of many
// megabytes is not printer output of this program.
const size_t kMaxPrinterFileBytes = 16 * 1024 * 1024;
const char kMaxPrinterFileText[] = "16 MB";

// Standard input ("-") has a sentence of its own, so that a translation can say it in the case
// its own language needs.
[[noreturn]] void failToRead(const std::string& input, const std::string& reason) {
  if (input == "-") {
    throw std::runtime_error(formatMessage(translate("cannot read standard input: {0}"), {reason}));
  }
  throw std::runtime_error(formatMessage(translate("cannot read {0}: {1}"), {input, reason}));
}

// The input was read once and at most one byte past the limit, whatever its kind: a size the
// system reports may be 0 for a file that never ends, such as those under /proc.
std::string printerFileBytes(const FileBytes& read, const std::string& path) {
  if (!read.reason.empty()) failToRead(path, read.reason);
  if (read.bytes.size() > kMaxPrinterFileBytes) {
    failToRead(path, formatMessage(translate("it holds more than {0} bytes ({1}), the most a "
                                             "printer file may hold"),
                                   {std::to_string(kMaxPrinterFileBytes), kMaxPrinterFileText}));
  }
  return read.bytes;
}

// The input's bytes: standard input for "-", as Unix tools take it, or else the file.
std::string readInput(const std::string& input) {
  if (input == "-") {
    return printerFileBytes(readStreamUpTo(standardInputForReading(), kMaxPrinterFileBytes), input);
  }
  return printerFileBytes(readFileUpTo(input, kMaxPrinterFileBytes, false), input);
}

void printWarnings(const std::vector<std::string>& warnings) {
  for (const std::string& text : warnings) warning(text);
}

int run(const PreviewLine& line) {
  if (line.help || line.version) {
    if (!writeConsoleText(stdout,
                          line.help ? usageText() : "timetable-preview " TIMETABLE_VERSION "\n")) {
      throw std::runtime_error(translate("cannot write to standard output"));
    }
    return 0;
  }
  const std::string& output = line.output;
  RenderedFormat format = RenderedFormat::kPdf;
  if (!output.empty() && !renderedFormatOf(output, format)) {
    throw std::runtime_error(formatMessage(
        translate(
            "cannot tell which kind of file {0} should be; end its name in .pdf, .png or .svg"),
        {output}));
  }
  const std::string input = readInput(line.input);
  const PrinterBytes bytes = printerBytesOf(input);
  std::vector<std::string> warnings;
  if (output.empty()) {
    countSheets(bytes, warnings);
    printWarnings(warnings);
    const bool bold = standardOutputIsTerminal();
    std::vector<std::string> givenBefore;
    // As the messages are, so that a console shows the box-drawing characters and the letters
    // whatever its code page.
    bool written = true;
    interpretPrinterPages(bytes(), kNoLineLimit, givenBefore,
                          [bold, &written](const PrintedPage& page) {
                            written = writeConsoleText(stdout, terminalTextOfPage(page, bold));
                            return written;
                          });
    if (!written) throw std::runtime_error(translate("cannot write to standard output"));
  } else {
    std::vector<std::string> notices;
    writeRenderedForm(bytes, output, format, warnings, notices);
    printWarnings(warnings);
    for (const std::string& text : notices) notice(text);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Before any file is opened, so that none takes the place of a closed standard stream.
  reopenClosedStandardStreams();
  // Then, before any thread starts: a Ctrl+C removes a file not yet in place.
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
