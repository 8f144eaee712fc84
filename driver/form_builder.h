#ifndef TIMETABLE_DRIVER_FORM_BUILDER_H_
#define TIMETABLE_DRIVER_FORM_BUILDER_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "driver/print_job_contents.h"

// The row of the form's opening and foot, which belong to no row of the stop table.
const int32_t kNoRow = -1;

// Takes one piece of the form, in printer code, with the row of the stop table it shows.
using FormPieceWriter = std::function<void(const std::wstring& piece, int32_t row)>;

// Puts the job's form together and hands it to write piece by piece, in printing order: the
// opening (three short lines, the bold route line and the head), the block of each row of the
// stop table, and the foot. Each piece is handed over as soon as it is built, so that a printer
// receives every block before the next one is built. A text wider than its field prints whole
// and pushes its line past the form's width; the result holds one warning for each such text
// and field, however many rows show it.
std::vector<std::string> buildForm(const PrintJob& job, const FormPieceWriter& write);

#endif  // TIMETABLE_DRIVER_FORM_BUILDER_H_
