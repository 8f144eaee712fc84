#include "form/stop_block.h"

#include "form/form_grid.h"
#include "form/printer_code.h"

namespace {

// A block has six lines of the form's width and a line feed each, and the printer commands of
// its highlighted cells.
const size_t kBlockLines = 6;
const size_t kBlockCommandRoom = 128;
const size_t kBlockCapacity = kBlockLines * (kFormColumns + 1) + kBlockCommandRoom;

const wchar_t kV = kVertical;
const wchar_t kH = kHorizontal;

// Field 1 holds " ___ " on line 3, where the driver ticks the stop off; blank elsewhere.
const wchar_t kTickField[] = L" ___ ";
static_assert(sizeof kTickField / sizeof kTickField[0] - 1 == kTickWidth,
              "the tick mark fills its field");

void appendRun(std::wstring& line, wchar_t character, int count) {
  line.append(static_cast<size_t>(count), character);
}

void appendRule(std::wstring& block, int32_t rowIndex) {
  // Row 0 ends the head's rule between its two narrow fields at column 3 and starts the rule
  // between the two time fields at column 49.
  const bool first = rowIndex == 0;
  block += kTeeRight;
  appendRun(block, kH, kNarrowWidth);
  block += first ? kTeeUp : kH;
  appendRun(block, kH, kNarrowWidth);
  block += kCross;
  appendRun(block, kH, kNameWidth);
  block += kCross;
  appendRun(block, kH, kTimeWidth);
  block += first ? kTeeDown : kCross;
  appendRun(block, kH, kTimeWidth);
  block += kCross;
  appendRun(block, kH, kLokWidth);
  block += kCross;
  appendRun(block, kH, kTrainWidth);
  block += kCross;
  appendRun(block, kH, kTrainWidth);
  block += kTeeLeft;
  block += L'\n';
}

// Appends pieces in order: a cell or a text, a single character, or a run of one character.
struct Piece {
  const std::wstring* text = nullptr;
  const wchar_t* literal = nullptr;
  wchar_t character = 0;
  int count = 1;
};

Piece cell(const std::wstring& text) { return Piece{&text, nullptr, 0, 1}; }
Piece text(const wchar_t* literal) { return Piece{nullptr, literal, 0, 1}; }
Piece one(wchar_t character) { return Piece{nullptr, nullptr, character, 1}; }
Piece run(wchar_t character, int count) { return Piece{nullptr, nullptr, character, count}; }

void appendLine(std::wstring& block, std::initializer_list<Piece> pieces) {
  for (const Piece& piece : pieces) {
    if (piece.text != nullptr) {
      block += *piece.text;
    } else if (piece.literal != nullptr) {
      block += piece.literal;
    } else {
      appendRun(block, piece.character, piece.count);
    }
  }
  block += L'\n';
}

// The cells on each line of a block, in the order buildStopBlock sets them; the first line is
// a rule and holds none.
const std::vector<std::vector<StopCellIndex>> kCellsOfLine = {
    {},
    {lok1Cell},
    {nameCell, arrivalCell, runCell, massCell, vmaxCell},
    {lok2Cell},
    {departureCell, dwellCell},
    {distanceCell, lok3Cell, lengthCell},
};

}  // namespace

std::wstring buildStopBlock(const StopCells& cells, int32_t rowIndex) {
  const Piece v = one(kV);
  std::wstring block;
  // Room for the block's lines of the form's width, their line feeds and a few printer commands.
  block.reserve(kBlockCapacity);
  appendRule(block, rowIndex);
  appendLine(block, {v, run(L' ', kTickWidth), v, run(L' ', kNameWidth), v, run(L' ', kTimeWidth),
                     v, run(L' ', kTimeWidth), v, cell(cells[lok1Cell]), v, run(L' ', kTrainWidth),
                     v, run(L' ', kTrainWidth), v});
  appendLine(block, {v, text(kTickField), v, cell(cells[nameCell]), v, cell(cells[arrivalCell]), v,
                     cell(cells[runCell]), one(kTeeRight), run(kH, kLokWidth), one(kTeeLeft),
                     cell(cells[massCell]), v, cell(cells[vmaxCell]), v});
  appendLine(block, {v, run(L' ', kTickWidth), v, run(L' ', kNameWidth), v, run(L' ', kTimeWidth),
                     v, run(L' ', kTimeWidth), v, cell(cells[lok2Cell]), one(kTeeRight),
                     run(kH, kTrainWidth), one(kCross), run(kH, kTrainWidth), one(kTeeLeft)});
  appendLine(block,
             {v, run(L' ', kTickWidth), v, run(L' ', kNameWidth), v, cell(cells[departureCell]), v,
              cell(cells[dwellCell]), one(kTeeRight), run(kH, kLokWidth), one(kTeeLeft),
              run(L' ', kTrainWidth), v, run(L' ', kTrainWidth), v});
  appendLine(block, {v, run(L' ', kTickWidth), v, cell(cells[distanceCell]), v,
                     run(L' ', kTimeWidth), v, run(L' ', kTimeWidth), v, cell(cells[lok3Cell]), v,
                     cell(cells[lengthCell]), v, run(L' ', kTrainWidth), v});
  return block;
}

int32_t printedColumns(const std::wstring& text) {
  int32_t columns = 0;
  for (size_t at = 0; at < text.size(); ++at) {
    if (text[at] == kEscape) {
      const wchar_t command = at + 1 < text.size() ? text[at + 1] : 0;
      at += command == L'w' || command == L'S' ? 2 : 1;
    } else if (text[at] >= L' ') {
      ++columns;
    }
  }
  return columns;
}

std::vector<StopCellIndex> cellsWiderThanTheForm(const StopCells& cells,
                                                 const std::wstring& block) {
  std::vector<StopCellIndex> wide;
  size_t lineStart = 0;
  for (const std::vector<StopCellIndex>& lineCells : kCellsOfLine) {
    const size_t lineEnd = block.find(L'\n', lineStart);
    const std::wstring line = block.substr(lineStart, lineEnd - lineStart);
    if (printedColumns(line) > kFormColumns) {
      for (StopCellIndex cell : lineCells) {
        if (printedColumns(cells[cell]) > stopFieldWidth(cell)) wide.push_back(cell);
      }
    }
    if (lineEnd == std::wstring::npos) break;
    lineStart = lineEnd + 1;
  }
  return wide;
}
