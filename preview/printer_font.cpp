#include "preview/printer_font.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <stdexcept>
#include <string>

#include "platform/translation.h"
#include "preview/embedded_fonts.h"

namespace {

// Where a cairo font face keeps the FreeType face it was made from.
const cairo_user_data_key_t kFreeTypeFaceKey = {};

struct PrinterFonts {
  FT_Library library = nullptr;
  cairo_font_face_t* regular = nullptr;
  cairo_font_face_t* bold = nullptr;
};

void releaseFreeTypeFace(void* face) { FT_Done_Face(static_cast<FT_Face>(face)); }

cairo_font_face_t* fontFaceOf(FT_Library library, const unsigned char* bytes, std::size_t size) {
  FT_Face face = nullptr;
  const FT_Error error = FT_New_Memory_Face(library, bytes, static_cast<FT_Long>(size), 0, &face);
  if (error != 0) {
    throw std::runtime_error(formatMessage(
        translate("cannot load the font built into the program; report this to the IT department: "
                  "FreeType error {0}"),
        {std::to_string(error)}));
  }
  cairo_font_face_t* fontFace = cairo_ft_font_face_create_for_ft_face(face, 0);
  // cairo reads the FreeType face for as long as its own face lives, so the FreeType face is
  // released with it, not before.
  const cairo_status_t status =
      cairo_font_face_set_user_data(fontFace, &kFreeTypeFaceKey, face, releaseFreeTypeFace);
  if (status != CAIRO_STATUS_SUCCESS) {
    cairo_font_face_destroy(fontFace);
    FT_Done_Face(face);
    checkCairo(status);
  }
  return fontFace;
}

// The faces are never released: every page of the process draws with them.
PrinterFonts loadPrinterFonts() {
  PrinterFonts fonts;
  const FT_Error error = FT_Init_FreeType(&fonts.library);
  if (error != 0) {
    throw std::runtime_error(formatMessage(
        translate("cannot prepare the fonts that draw the form; report this to the IT department: "
                  "FreeType error {0}"),
        {std::to_string(error)}));
  }
  fonts.regular = fontFaceOf(fonts.library, kDejaVuSansMono, kDejaVuSansMonoSize);
  fonts.bold = fontFaceOf(fonts.library, kDejaVuSansMonoBold, kDejaVuSansMonoBoldSize);
  return fonts;
}

}  // namespace

cairo_font_face_t* printerFontFace(bool bold) {
  static const PrinterFonts fonts = loadPrinterFonts();
  return bold ? fonts.bold : fonts.regular;
}

void setPrinterFontOptions(cairo_t* cr) {
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  // Unused with grey antialiasing; set so that the surface's default cannot choose otherwise.
  cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_RGB);
  // Hinting would fit outlines to the pixel grid by rules that vary with FreeType's build.
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
}

void checkCairo(cairo_status_t status) {
  if (status != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error(formatMessage(
        translate("cannot draw the form; report this to the IT department: cairo: {0}"),
        {cairo_status_to_string(status)}));
  }
}
