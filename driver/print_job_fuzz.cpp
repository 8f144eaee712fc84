// Feeds arbitrary bytes as the timetable service's answer through decoding, the stop table, the
// cells and the blocks. Each input must give a form in printer code or one of our own errors.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "driver/form_builder.h"
#include "driver/print_job.h"
#include "driver/print_job_test_support.h"
#include "service/service_request.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PrintJob job;
  std::string warning;
  try {
    job = sampleJob(
        serviceMessageOf(std::string(reinterpret_cast<const char*>(data), size), 200, "fuzz"),
        warning);
  } catch (const std::runtime_error&) {
    return 0;  // Our own error: reported on one line and the run ends.
  }
  if (job.lastRow < 0 || job.lastRow >= kStopTableCapacity) std::abort();
  // Only a timetable that fills the table leaves stop points out.
  if (!warning.empty() && job.lastRow != kStopTableCapacity - 1) std::abort();
  std::wstring form;
  buildForm(job, [&form](const std::wstring& piece, int32_t) { form += piece; });
  for (wchar_t c : form) {
    if (static_cast<unsigned long>(c) >= 256) std::abort();
  }
  return 0;
}
