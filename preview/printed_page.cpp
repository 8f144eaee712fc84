#include "preview/printed_page.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "form/code_page.h"
#include "form/printer_code.h"
#include "platform/translation.h"

namespace {

// The form's codes as the bytes they are.
constexpr unsigned char byteOf(wchar_t code) { return static_cast<unsigned char>(code); }

// How many bytes are read from the reader at a time.
const size_t kReadBlock = 65536;

// An ESC/P command whose parameters have a fixed length: the byte after ESC, and how many
// parameter bytes follow it. E, F, T, w and S change how characters look and are interpreted;
// the rest leave the drawing alone and are skipped whole.
struct FixedLengthCommand {
  unsigned char command;
  unsigned char parameters;
};

const FixedLengthCommand kFixedLengthCommands[] = {
    {'@', 0},  // Initialise the printer.
    {byteOf(kBoldOnCommand), 0},
    {byteOf(kBoldOffCommand), 0},
    {'G', 0},  // Double-strike on.
    {'H', 0},  // Double-strike off.
    {'4', 0},  // Italic on.
    {'5', 0},  // Italic off.
    {'P', 0},  // 10 characters per inch.
    {'M', 0},  // 12 characters per inch.
    {'g', 0},  // 15 characters per inch.
    {byteOf(kScriptOffCommand), 0},
    {'0', 0},   // Line spacing of 1/8 inch.
    {'1', 0},   // Line spacing of 7/72 inch.
    {'2', 0},   // Line spacing of 1/6 inch.
    {'O', 0},   // Skip over the perforation off.
    {'6', 0},   // Upper control codes printable.
    {'7', 0},   // Upper control codes not printable.
    {'8', 0},   // Paper-out detector off.
    {'9', 0},   // Paper-out detector on.
    {'<', 0},   // Unidirectional printing for one line.
    {'#', 0},   // Most significant bit control off.
    {'=', 0},   // Most significant bit set to 0.
    {'>', 0},   // Most significant bit set to 1.
    {0x0E, 0},  // Double width for one line.
    {0x0F, 0},  // Condensed.
    {byteOf(kDoubleHeightCommand), 1},
    {byteOf(kScriptCommand), 1},
    {'-', 1},   // Underline.
    {'W', 1},   // Double width.
    {'x', 1},   // Letter quality or draft.
    {'k', 1},   // Typeface.
    {'p', 1},   // Proportional spacing.
    {'!', 1},   // Master select of the print mode.
    {' ', 1},   // Space between characters.
    {'3', 1},   // Line spacing of n/180 inch.
    {'A', 1},   // Line spacing of n/60 inch.
    {'+', 1},   // Line spacing of n/360 inch.
    {'N', 1},   // Skip over the perforation.
    {'l', 1},   // Left margin.
    {'Q', 1},   // Right margin.
    {'J', 1},   // Paper feed of n/180 inch.
    {'j', 1},   // Reverse paper feed of n/216 inch.
    {'t', 1},   // Character table.
    {'R', 1},   // International character set.
    {'U', 1},   // Unidirectional printing.
    {0x19, 1},  // Cut-sheet feeder control.
    {'a', 1},   // Justification.
    {'/', 1},   // Vertical tab channel.
    {'r', 1},   // Colour.
    {'q', 1},   // Character style.
    {'I', 1},   // Printable code area.
    {'m', 1},   // Upper control codes.
    {'s', 1},   // Low-speed mode.
    {'%', 1},   // User-defined character set.
    {'i', 1},   // Immediate print.
    {'$', 2},   // Absolute horizontal position.
    {'\\', 2},  // Relative horizontal position.
    {'f', 2},   // Horizontal or vertical skip.
    {'e', 2},   // Fixed tab increment.
    {'c', 2},   // Horizontal motion index.
    {'?', 2},   // Reassign a bit-image mode.
    {'X', 3},   // Font by pitch and point.
    {':', 3},   // Copy the ROM characters to RAM.
};
// Commands whose length the parameters tell, read in readParameters: C (page length: one byte,
// or NUL and one byte), D and B (tab stops: a list ended by NUL), K, L, Y and Z (8-dot graphics:
// nL nH and as many bytes), * (bit image: a mode, nL nH, and 1, 3 or 6 bytes a column by the
// mode), ^ (9-dot graphics: a mode, nL nH, and 2 bytes a column) and ( (the extended commands:
// a letter, nL nH and as many bytes). The rest, such as . (raster graphics, whose data may be
// compressed) and & (user-defined characters), have a length this interpreter does not know.

// The bytes being interpreted, read in blocks.
struct ByteStream {
  const PrinterByteReader& read;
  std::vector<char> block;
  size_t at = 0;
  size_t filled = 0;
  size_t position = 0;  // In the whole stream, of the next byte.
};

// The next byte, or -1 at the end.
int nextByte(ByteStream& stream) {
  if (stream.at == stream.filled) {
    stream.filled = stream.read(stream.block.data(), stream.block.size());
    stream.at = 0;
    if (stream.filled == 0) return -1;
  }
  ++stream.position;
  return static_cast<unsigned char>(stream.block[stream.at++]);
}

// Appends up to count more bytes to sequence; false when the stream ends first.
bool readInto(ByteStream& stream, size_t count, std::string& sequence) {
  for (size_t i = 0; i < count; ++i) {
    const int byte = nextByte(stream);
    if (byte < 0) return false;
    sequence += static_cast<char>(byte);
  }
  return true;
}

// Skips count bytes of data, or the rest of the stream; returns how many it skipped.
size_t skipData(ByteStream& stream, size_t count) {
  size_t skipped = 0;
  while (skipped < count && nextByte(stream) >= 0) ++skipped;
  return skipped;
}

// The count nL nH that ends sequence.
size_t countAtEnd(const std::string& sequence) {
  const size_t size = sequence.size();
  return static_cast<unsigned char>(sequence[size - 2]) +
         256 * static_cast<size_t>(static_cast<unsigned char>(sequence[size - 1]));
}

// Bytes a column of ESC * bit-image data takes in each mode; 0 for a mode this interpreter does
// not know.
size_t bitImageBytesPerColumn(unsigned char mode) {
  if (mode <= 7) return 1;                                                           // 8 dots.
  if (mode == 32 || mode == 33 || mode == 38 || mode == 39 || mode == 40) return 3;  // 24 dots.
  if (mode >= 71 && mode <= 73) return 6;                                            // 48 dots.
  return 0;
}

// Reads the parameters of the command whose byte ends sequence: the ones that say what the
// command does go into sequence, bulk data is skipped and counted in dataBytes. Returns false
// when the command's length is unknown, leaving the bytes after it unread.
bool readParameters(ByteStream& stream, std::string& sequence, size_t& dataBytes) {
  const auto command = static_cast<unsigned char>(sequence.back());
  for (const FixedLengthCommand& fixed : kFixedLengthCommands) {
    if (fixed.command == command) {
      readInto(stream, fixed.parameters, sequence);
      return true;
    }
  }
  switch (command) {
    case 'C':
      if (readInto(stream, 1, sequence) && sequence.back() == '\0') readInto(stream, 1, sequence);
      return true;
    case 'D':
    case 'B': {
      // Up to 32 (D) or 16 (B) stops, then the NUL that ends the list.
      const size_t most = command == 'D' ? 32 : 16;
      for (size_t count = 0; count <= most; ++count) {
        if (!readInto(stream, 1, sequence) || sequence.back() == '\0') break;
      }
      return true;
    }
    case 'K':
    case 'L':
    case 'Y':
    case 'Z':
      if (readInto(stream, 2, sequence)) dataBytes = skipData(stream, countAtEnd(sequence));
      return true;
    case '(':
      if (readInto(stream, 3, sequence)) dataBytes = skipData(stream, countAtEnd(sequence));
      return true;
    case '*':
    case '^': {
      if (!readInto(stream, 3, sequence)) return true;
      const size_t perColumn =
          command == '^' ? 2 : bitImageBytesPerColumn(static_cast<unsigned char>(sequence[1]));
      if (perColumn == 0) return false;
      dataBytes = skipData(stream, perColumn * countAtEnd(sequence));
      return true;
    }
    default:
      return false;
  }
}

// "ESC 0x2D 0x01", and how much data followed.
std::string describeSequence(const std::string& sequence, size_t dataBytes) {
  std::string text = "ESC";
  for (char c : sequence) {
    char hex[8];
    std::snprintf(hex, sizeof hex, " 0x%02X", static_cast<unsigned char>(c));
    text += hex;
  }
  if (dataBytes > 0) {
    text += formatMessage(translatePlural(" and {0} byte of data", " and {0} bytes of data",
                                          static_cast<unsigned long>(dataBytes)),
                          {std::to_string(dataBytes)});
  }
  return text;
}

// Switches of ESC/P that take an argument: '1' or 1 switches on, '0' or 0 off.
bool switchedOn(const std::string& sequence) {
  const char argument = sequence.size() > 1 ? sequence[1] : '\0';
  return argument == '1' || argument == 1;
}

// Places a character at the current position, over whatever was printed there.
void place(PrintedPage& page, size_t line, size_t column, const PrintedCharacter& character) {
  if (page.lines.size() <= line) page.lines.resize(line + 1);
  PrintedLine& printed = page.lines[line];
  if (printed.size() <= column) printed.resize(column + 1);
  printed[column] = character;
}

// Where the interpretation stands between bytes.
struct PrinterState {
  PrintedPage page;
  bool anyPageDone = false;
  PrintedCharacter style;
  size_t line = 0;
  size_t column = 0;
  size_t skipped = 0;
};

// Reads the command after an ESC at position at and applies it, or skips it with a warning.
void interpretCommand(ByteStream& stream, size_t at, PrinterState& state,
                      std::vector<std::string>& warnings) {
  std::string sequence;
  size_t dataBytes = 0;
  bool known = true;
  if (readInto(stream, 1, sequence)) known = readParameters(stream, sequence, dataBytes);
  const unsigned char command = sequence.empty() ? 0 : static_cast<unsigned char>(sequence[0]);
  if (command == byteOf(kBoldOnCommand) || command == byteOf(kBoldOffCommand)) {
    state.style.bold = command == byteOf(kBoldOnCommand);
  } else if (command == byteOf(kScriptOffCommand)) {
    state.style.subscript = false;
  } else if (command == byteOf(kDoubleHeightCommand)) {
    state.style.doubleHeight = switchedOn(sequence);
  } else if (command == byteOf(kScriptCommand)) {
    state.style.subscript = switchedOn(sequence);
  } else if (++state.skipped <= kMaxSkippedCommandWarnings) {
    warnings.push_back(formatMessage(known
                                         ? translate("skipped the printer command {0} at byte {1}")
                                         : translate("skipped the unknown printer command {0} at "
                                                     "byte {1}"),
                                     {describeSequence(sequence, dataBytes), std::to_string(at)}));
  }
}

}  // namespace

PrinterBytes printerBytesOf(const std::string& bytes) {
  return [&bytes]() -> PrinterByteReader {
    size_t at = 0;
    return [&bytes, at](char* buffer, size_t size) mutable {
      const size_t count = std::min(size, bytes.size() - at);
      std::memcpy(buffer, bytes.data() + at, count);
      at += count;
      return count;
    };
  };
}

char32_t unicodeOfCodePage852(unsigned char byte) {
  return byte < 0x80 ? byte : static_cast<char32_t>(kCodePage852High[byte - 0x80]);
}

bool interpretPrinterPages(const PrinterByteReader& read, size_t lineLimit,
                           std::vector<std::string>& warnings, const PrintedPageSink& onPage) {
  ByteStream stream{read, std::vector<char>(kReadBlock)};
  PrinterState state;
  int byte;
  while ((byte = nextByte(stream)) >= 0) {
    if (byte == byteOf(kEscape)) {
      interpretCommand(stream, stream.position - 1, state, warnings);
    } else if (byte == '\r') {
      state.column = 0;
    } else if (byte == '\n') {
      ++state.line;
      state.column = 0;
    } else if (byte == byteOf(kFormFeed)) {
      state.page.endsInFormFeed = true;
      if (!onPage(state.page)) return false;
      state.page = PrintedPage();
      state.anyPageDone = true;
      state.line = 0;
      state.column = 0;
    } else if (byte >= 0x20 && byte != 0x7F) {
      if (state.line >= lineLimit) return false;
      PrintedCharacter printed = state.style;
      printed.character = unicodeOfCodePage852(static_cast<unsigned char>(byte));
      place(state.page, state.line, state.column++, printed);
    }
  }
  if (state.skipped > kMaxSkippedCommandWarnings) {
    const size_t more = state.skipped - kMaxSkippedCommandWarnings;
    warnings.push_back(formatMessage(
        translatePlural("skipped {0} more printer command", "skipped {0} more printer commands",
                        static_cast<unsigned long>(more)),
        {std::to_string(more)}));
  }
  // A form feed at the very end leaves no page after it.
  if (state.anyPageDone && state.page.lines.empty()) return true;
  return onPage(state.page);
}
