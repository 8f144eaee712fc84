#ifndef TIMETABLE_PREVIEW_RENDERER_MODULE_H_
#define TIMETABLE_PREVIEW_RENDERER_MODULE_H_

// The renderer as a module of timetable-print's own on Linux (platform/program_module.h): cairo
// and the libraries it brings are mapped only by a run that draws a form. What the program calls
// of the renderer, as rendering.h declares it.
#include <string>
#include <vector>

#include "preview/rendered_format.h"
#include "preview/rendering.h"

struct RendererModule {
  void (*writeRenderedForm)(const std::string& bytes, const std::string& path,
                            RenderedFormat format, std::vector<std::string>& warnings,
                            std::vector<std::string>& notices);
  void (*writeFormPdf)(const std::string& bytes, const PieceWriter& write,
                       std::vector<std::string>& warnings);
};

// The module's file and its one entry, which returns the module's table.
const char kRendererModuleFile[] = "timetable-render.so";
const char kRendererModuleEntry[] = "timetableRendererModule";
using RendererModuleEntry = const RendererModule* (*)();

#endif  // TIMETABLE_PREVIEW_RENDERER_MODULE_H_
