// How long the program's own work takes: the form of a 99-row timetable, that form drawn as a
// PDF, and the search of a long list of trains online while its answer is read.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "driver/form_builder.h"
#include "driver/print_job.h"
#include "driver/print_job_test_support.h"
#include "preview/rendering.h"
#include "printer/printer_stream.h"
#include "service/online_lookup_test_support.h"
#include "service/service_request.h"

namespace {

nlohmann::json longTimetable() {
  nlohmann::json stops = nlohmann::json::array();
  for (int i = 0; i < 99; ++i) {
    const std::string clock = "T" + std::to_string(10 + i / 60) + ":" + (i % 60 < 10 ? "0" : "") +
                              std::to_string(i % 60) + ":00Z";
    const std::string name = "Stacja Łódź " + std::to_string(i);
    stops.push_back(
        {{"pointNameRAW", name},
         {"pointName", i % 10 == 0 ? "<strong>" + name + "</strong>" : name},
         {"arrivalTime", i == 0 ? nlohmann::json() : nlohmann::json("2026-12-08" + clock)},
         {"departureTime", i == 98 ? nlohmann::json() : nlohmann::json("2026-12-08" + clock)},
         {"pointDistance", i * 3.25},
         {"pointStopType", "ph"}});
    if (i % 3 == 0) stops.push_back({{"pointNameRAW", "SBL " + std::to_string(i)}});
  }
  return {
      {"trainInfo", {{"trainCategoryCode", "EIC"}, {"trainNo", 5410}, {"route", "Kraków|Gdynia"}}},
      {"stopPoints", stops}};
}

// The printer's bytes of the long timetable's form, built as a run builds them.
void buildLongForm(const nlohmann::json& answer, std::string& printed) {
  std::string warning;
  const PrintJob job = sampleJob(answer, warning);
  buildForm(job, [&printed](const std::wstring& piece, int32_t) {
    printed += printerBytes(piece, false);
  });
}

void formOf99Rows(benchmark::State& state) {
  const nlohmann::json answer = longTimetable();
  // The printer's bytes, collected in one buffer that keeps its capacity between iterations, as
  // the printer stream's own buffer would.
  std::string printed;
  for (auto _ : state) {
    printed.clear();
    buildLongForm(answer, printed);
    benchmark::DoNotOptimize(printed);
  }
}
BENCHMARK(formOf99Rows)->Unit(benchmark::kMicrosecond);

// What -o form.pdf adds to a run: the 99-row form drawn on A4 sheets as a PDF and written to a
// file in the system's temporary folder.
void pdfOf99Rows(benchmark::State& state) {
  std::string printed;
  buildLongForm(longTimetable(), printed);
  const std::filesystem::path pdf =
      std::filesystem::temp_directory_path() / "timetable-print-benchmark.pdf";
  std::vector<std::string> warnings;
  std::vector<std::string> notices;
  for (auto _ : state) {
    writeRenderedForm(printed, pdf.u8string(), RenderedFormat::kPdf, warnings, notices);
  }
  state.counters["pdf_bytes"] = static_cast<double>(std::filesystem::file_size(pdf));
  std::filesystem::remove(pdf);
}
BENCHMARK(pdfOf99Rows)->Unit(benchmark::kMillisecond);

// The answer to the online list query with 10,000 trains, none of them the one sought: the search
// examines every entry up to the scan limit.
ServiceAnswer onlineAnswerOf10000() {
  nlohmann::json list = nlohmann::json::array();
  for (int i = 0; i < 10000; ++i) {
    list.push_back({{"trainNo", 100000 + i},
                    {"dataMass", 400000 + i},
                    {"dataLength", 150},
                    {"stationName", "Warszawa Centralna"},
                    {"dataSpeed", 120}});
  }
  return {"bench", nlohmann::json({{"success", true}, {"message", list}}).dump(), 200};
}

void searchOnlineListOf10000(benchmark::State& state) {
  const ServiceAnswer answer = onlineAnswerOf10000();
  for (auto _ : state) {
    TrainData trainData;
    bool found = searchOnlineAnswer(answer, "999", trainData);
    benchmark::DoNotOptimize(found);
  }
  state.counters["body_bytes"] = static_cast<double>(answer.body.size());
}
BENCHMARK(searchOnlineListOf10000)->Unit(benchmark::kMillisecond);

// The same search on the decoded list, for comparison: decoding builds every entry's values.
void decodeAndSearchOnlineListOf10000(benchmark::State& state) {
  const ServiceAnswer answer = onlineAnswerOf10000();
  for (auto _ : state) {
    TrainData trainData;
    bool found =
        searchOnlineTrains(serviceMessageOf(answer.body, 200, answer.url), "999", trainData);
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(decodeAndSearchOnlineListOf10000)->Unit(benchmark::kMillisecond);

// The timetable answers that cost the reader most for their size, each just under the 4 MB
// limit: stop points that are empty objects (three bytes each), one long string, and arrays
// nested one level short of the depth limit, over and over.
std::string emptyStopsAnswer(size_t count) {
  std::string stops;
  for (size_t i = 0; i < count; ++i) stops += i == 0 ? "{}" : ",{}";
  return R"({"message":{"trainInfo":{},"stopPoints":[)" + stops + "]}}";
}

std::string longStringAnswer() {
  return R"({"message":{"trainInfo":{"route":")" + std::string(4000000, 'a') +
         R"("},"stopPoints":[{}]}})";
}

std::string deepArraysAnswer() {
  // The answer and "message" take two levels, the stop points a third.
  const size_t levels = static_cast<size_t>(kMaxAnswerDepth) - 3;
  const std::string deep = std::string(levels, '[') + std::string(levels, ']');
  std::string stops;
  while (stops.size() + deep.size() < 4000000) stops += stops.empty() ? deep : "," + deep;
  return R"({"message":{"trainInfo":{},"stopPoints":[)" + stops + "]}}";
}

void readTimetableAnswer(benchmark::State& state, const std::string& body) {
  for (auto _ : state) {
    nlohmann::json message = serviceMessageOf(body, 200, "bench");
    benchmark::DoNotOptimize(message);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(body.size()));
  state.counters["body_bytes"] = static_cast<double>(body.size());
}

void readEmptyStops(benchmark::State& state) {
  readTimetableAnswer(state, emptyStopsAnswer(static_cast<size_t>(state.range(0))));
}
// Time linear in the size: the three sizes take times in the ratio of their stop points.
BENCHMARK(readEmptyStops)->Arg(400000)->Arg(800000)->Arg(1300000)->Unit(benchmark::kMillisecond);

void readLongString(benchmark::State& state) { readTimetableAnswer(state, longStringAnswer()); }
BENCHMARK(readLongString)->Unit(benchmark::kMillisecond);

void readDeepArrays(benchmark::State& state) { readTimetableAnswer(state, deepArraysAnswer()); }
BENCHMARK(readDeepArrays)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
