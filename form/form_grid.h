#ifndef TIMETABLE_FORM_FORM_GRID_H_
#define TIMETABLE_FORM_FORM_GRID_H_

// The form's column grid: the widths of its fields in columns, between column rules one column
// wide. The head and the stop blocks share the frame and the fields from the station name to the
// speed; the first stop block's rule joins the head's two narrow fields into one and splits the
// head's time field into two.

// Each of the head's two narrow fields, headed "V" with a subscript "P".
const int kNarrowWidth = 2;
// The stop blocks' first field, the head's two narrow fields joined across their rule.
const int kTickWidth = kNarrowWidth + 1 + kNarrowWidth;
// The station name and the distance, under the heading "Stacja".
const int kNameWidth = 32;
// Each of the stop blocks' two time fields: arrival and departure, running and dwell minutes.
const int kTimeWidth = 9;
// The head's time field "Godzina", over the stop blocks' two time fields and the rule between.
const int kHoursWidth = kTimeWidth + 1 + kTimeWidth;
// The three locomotives.
const int kLokWidth = 6;
// Each of the two fields on the right: mass and length; speed.
const int kTrainWidth = 8;

// The form's width, rules included.
const int kFormColumns = 85;
static_assert(1 + kNarrowWidth + 1 + kNarrowWidth + 1 + kNameWidth + 1 + kHoursWidth + 1 +
                      kLokWidth + 1 + kTrainWidth + 1 + kTrainWidth + 1 ==
                  kFormColumns,
              "the fields and their rules fill the form's width");

#endif  // TIMETABLE_FORM_FORM_GRID_H_
