// The renderer's functions as the program calls them, each handed to the renderer module, which
// is opened the first time one is called.
#include "platform/program_module.h"
#include "preview/renderer_module.h"
#include "preview/rendering.h"

namespace {

const RendererModule& renderer() {
  static const RendererModule* const module = reinterpret_cast<RendererModuleEntry>(
      programModuleEntry(kRendererModuleFile, kRendererModuleEntry))();
  return *module;
}

}  // namespace

void requireRenderer() { renderer(); }

void writeRenderedForm(const std::string& bytes, const std::string& path, RenderedFormat format,
                       std::vector<std::string>& warnings, std::vector<std::string>& notices) {
  renderer().writeRenderedForm(bytes, path, format, warnings, notices);
}

void writeFormPdf(const std::string& bytes, const PieceWriter& write,
                  std::vector<std::string>& warnings) {
  renderer().writeFormPdf(bytes, write, warnings);
}
