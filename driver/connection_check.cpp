#include "driver/connection_check.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <variant>

#include "driver/destination_request.h"
#include "platform/console.h"
#include "platform/messages.h"
#include "platform/overloaded.h"
#include "platform/support_log.h"
#include "platform/translation.h"
#include "printer/destination.h"
#include "printer/spooler.h"
#include "service/online_lookup.h"
#include "service/proxy_choice.h"
#include "service/service_request.h"
#include "service/service_settings.h"

namespace {

enum class StepResult { kPassed, kFailed, kSkipped };

// The lines below a step's own, indented under it.
std::string indented(const std::string& lines) {
  std::string text;
  size_t start = 0;
  while (start < lines.size()) {
    size_t end = lines.find('\n', start);
    if (end == std::string::npos) end = lines.size();
    text += "    " + lines.substr(start, end - start) + "\n";
    start = end + 1;
  }
  return text;
}

// Writes one step's line at once, so that a slow step shows which one it is; details, such as
// libcurl's own words for a failure, follow indented. Remembers a failure for the exit status.
void report(bool& failed, StepResult result, const std::string& line,
            const std::string& details = std::string()) {
  const char* mark = result == StepResult::kPassed   ? translate("[ok]")
                     : result == StepResult::kFailed ? translate("[failed]")
                                                     : translate("[skipped]");
  if (result == StepResult::kFailed) failed = true;
  writeConsoleText(stdout,
                   eachLineOneLine(std::string(mark) + " " + line + "\n" + indented(details)));
}

std::string libcurlDetail() {
  const std::string detail = lastTransferDetail();
  return detail.empty() ? detail : formatMessage(translate("libcurl: {0}"), {detail});
}

// The name and proxy steps: through a proxy the machine resolves the proxy's name, and the
// proxy the service's.
void reportNameAndProxy(bool& failed, const ServiceSettings& settings,
                        const ConnectionFacts& facts) {
  const ProxyChoice& proxy = serviceProxy();
  const bool nameFailed = facts.failedAt == ConnectionStage::kName;
  if (nameFailed) {
    report(failed, StepResult::kFailed, facts.error, libcurlDetail());
  } else if (proxy.url.empty()) {
    report(
        failed, StepResult::kPassed,
        formatMessage(translate("the name {0} resolves to {1}"), {settings.host, facts.address}));
  } else {
    report(failed, StepResult::kPassed,
           formatMessage(translate("the name {0} is resolved by the proxy"), {settings.host}));
  }
  std::string proxyLine = describeProxyChoice(settings, proxy);
  proxyLine.pop_back();  // Its end of line.
  if (facts.failedAt == ConnectionStage::kProxy) {
    report(failed, StepResult::kFailed, proxyLine + ": " + facts.error, libcurlDetail());
  } else if (nameFailed && !proxy.url.empty()) {
    report(failed, StepResult::kSkipped, proxyLine);
  } else {
    report(failed, StepResult::kPassed, proxyLine);
  }
}

// The steps of the TCP connection and of TLS.
void reportConnection(bool& failed, const ServiceSettings& settings, const ConnectionFacts& facts) {
  const bool before =
      facts.failedAt == ConnectionStage::kName || facts.failedAt == ConnectionStage::kProxy;
  const std::string connection = translate("the connection");
  if (before) {
    report(failed, StepResult::kSkipped, connection);
  } else if (facts.failedAt == ConnectionStage::kConnection) {
    report(failed, StepResult::kFailed, facts.error, libcurlDetail());
  } else {
    report(failed, StepResult::kPassed,
           formatMessage(translate("connected to {0} port {1} in {2} ms"),
                         {facts.address, std::to_string(facts.port),
                          std::to_string(facts.connectMilliseconds)}));
  }
  if (facts.failedAt != ConnectionStage::kNone && facts.failedAt != ConnectionStage::kTls) {
    report(failed, StepResult::kSkipped, translate("the secure connection (TLS)"));
    return;
  }
  if (facts.failedAt == ConnectionStage::kTls) {
    report(failed, StepResult::kFailed, facts.error, libcurlDetail());
    return;
  }
  const std::string certificate =
      facts.subject.empty()
          ? std::string()
          : formatMessage(translate("certificate {0}, issued by {1}, valid until {2}"),
                          {facts.subject, facts.issuer, facts.expiry});
  report(failed, StepResult::kPassed,
         formatMessage(translate("the secure connection (TLS) is set up in {0} ms: the "
                                 "certificate of {1} is trusted by {2} and made out to that name"),
                       {std::to_string(facts.tlsMilliseconds), settings.host, settings.trust.name}),
         certificate);
}

// The service's answer to the harmless query, through the very requests of a run.
void reportAnswer(bool& failed) {
  const auto start = std::chrono::steady_clock::now();
  try {
    const nlohmann::json trains = fetchServiceMessage(kOnlineTrainsQuery);
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    const size_t count = trains.is_array() ? trains.size() : 0;
    report(failed, StepResult::kPassed,
           formatMessage(translatePlural("the service answers: {0} train online, in {1} ms",
                                         "the service answers: {0} trains online, in {1} ms",
                                         static_cast<unsigned long>(count)),
                         {std::to_string(count), std::to_string(elapsed.count())}));
  } catch (const std::exception& failure) {
    report(failed, StepResult::kFailed, failure.what(), libcurlDetail());
  }
}

// Where a run's form would go, in the user's words.
std::string destinationText(const Destination& destination) {
  return std::visit(
      Overloaded{
          [](const DeviceDestination& device) {
            return formatMessage(translate("the printer {0}"), {device.device});
          },
          [](const BytesFileDestination& file) {
            return formatMessage(translate("the file {0} can be written"), {file.path});
          },
          [](const RenderedFileDestination& file) {
            return file.path.empty()
                       ? formatMessage(translate("the folder {0} can be written"),
                                       {file.screenFolder})
                       : formatMessage(translate("the file {0} can be written"), {file.path});
          },
          [](const SpoolDestination& spool) {
            return formatMessage(translate("the spooler has the printer {0}"), {spool.printer});
          },
          [](const DrawnDestination& drawn) {
            return formatMessage(translate("the spooler has the printer {0}"), {drawn.printer});
          },
      },
      destination);
}

// The spooler's printer the destination prints on, or empty for a device or a file.
std::string spoolerPrinterOf(const Destination& destination) {
  if (const auto* spool = std::get_if<SpoolDestination>(&destination)) return spool->printer;
  if (const auto* drawn = std::get_if<DrawnDestination>(&destination)) return drawn->printer;
  return std::string();
}

// The destination a run with the same options would use, prepared as the run prepares it.
void reportDestination(bool& failed, const CommandLine& line) {
  try {
    Destination destination = chooseDestination(destinationRequestOf(line));
    prepareDestination(destination);
    // A printer the spooler has but that cannot print now would pass a run's checks, and then
    // hold the form: the check names what stops it.
    const std::string spooled = spoolerPrinterOf(destination);
    if (!spooled.empty()) {
      const SpoolPrinterState state = spoolPrinterState(spooled);
      if (!state.ready) {
        report(failed, StepResult::kFailed,
               formatMessage(translate("the spooler has the printer {0}, but it cannot print now "
                                       "({1}); make it ready in the system's printer settings, or "
                                       "ask the IT department"),
                             {spooled, state.words}));
        return;
      }
    }
    report(failed, StepResult::kPassed, destinationText(destination));
  } catch (const std::exception& failure) {
    report(failed, StepResult::kFailed, failure.what());
  }
}

}  // namespace

int runConnectionCheck(const CommandLine& line) {
  bool failed = false;
  std::optional<ServiceSettings> settings;
  try {
    settings = readServiceSettings(line.service);
    // A value that cannot be used is marked in the lines below; the run would end at it.
    const bool usable = settings->errors.empty() && settings->usageError.empty();
    report(failed, usable ? StepResult::kPassed : StepResult::kFailed, translate("the settings"),
           describeServiceSettings(*settings) +
               (settings->usageError.empty() ? std::string() : settings->usageError + "\n"));
    if (!usable) settings.reset();
  } catch (const std::exception& failure) {
    report(failed, StepResult::kFailed, failure.what());
  }
  const std::string log = supportLogPath();
  if (!log.empty()) {
    report(failed, StepResult::kPassed, formatMessage(translate("the support log is {0}"), {log}));
  }
  if (settings) {
    startServiceRequests(*settings);
    const ConnectionFacts facts = checkServiceConnection();
    reportNameAndProxy(failed, *settings, facts);
    reportConnection(failed, *settings, facts);
    if (facts.failedAt == ConnectionStage::kNone) {
      reportAnswer(failed);
    } else {
      report(failed, StepResult::kSkipped, translate("the service's answer"));
    }
  } else {
    report(failed, StepResult::kSkipped, translate("the service"));
  }
  reportDestination(failed, line);
  return failed ? 1 : 0;
}
