// The renderer module's entry: everything else in the module is hidden, so that its calls stay
// within it, and what it takes from the program (the platform, the form, the printed pages) is
// the program's own.
#include "preview/renderer_module.h"

namespace {

void writeRenderedText(const std::string& bytes, const std::string& path, RenderedFormat format,
                       std::vector<std::string>& warnings, std::vector<std::string>& notices) {
  writeRenderedForm(bytes, path, format, warnings, notices);
}

const RendererModule kModule{writeRenderedText, writeFormPdf};

}  // namespace

extern "C" __attribute__((visibility("default"))) const RendererModule* timetableRendererModule() {
  return &kModule;
}
