#ifndef TIMETABLE_PREVIEW_EMBEDDED_FONTS_H_
#define TIMETABLE_PREVIEW_EMBEDDED_FONTS_H_

#include <cstddef>

// The font files of DejaVu Sans Mono, regular and bold, built into the program from Debian's
// fonts-dejavu-core, so that every machine draws the printer's characters with the same glyphs.
extern const unsigned char kDejaVuSansMono[];
extern const std::size_t kDejaVuSansMonoSize;
extern const unsigned char kDejaVuSansMonoBold[];
extern const std::size_t kDejaVuSansMonoBoldSize;

#endif  // TIMETABLE_PREVIEW_EMBEDDED_FONTS_H_
