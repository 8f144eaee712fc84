#include "driver/request_failure_text.h"

#include "platform/messages.h"
#include "platform/start_menu.h"
#include "platform/translation.h"

namespace {

// What the advice points to for the settings, as the user can take it: the Start-menu entry
// that shows them, or the option. A parenthesis of its own, so that it stands in any sentence.
enum class Shown { kTrust, kAddress, kIt };

std::string settingsHint(Shown what, StartedFrom startedFrom) {
  if (startedFrom == StartedFrom::kCheckMenuEntry) {
    return translate("(the settings are shown above, under the check's first step)");
  }
  if (startedFrom == StartedFrom::kStartMenu) {
    return formatMessage(translate("(\"{0}\" in the Start menu shows the settings and tests the "
                                   "connection)"),
                         {kCheckMenuEntry});
  }
  switch (what) {
    case Shown::kTrust:
      return translate("(timetable-print --settings shows the trust)");
    case Shown::kAddress:
      return translate("(timetable-print --settings)");
    case Shown::kIt:
      break;
  }
  return translate("(timetable-print --settings shows it)");
}

// The proxy as messages name it: its address, without a password, and where it came from.
std::string proxyName(const RequestFailure& failure) {
  return formatMessage(translate("{0} (from {1})"), {failure.proxy, failure.proxySource});
}

std::string secondsText(long seconds) { return std::to_string(seconds); }

std::string proxyFailureText(const RequestFailure& f, StartedFrom from) {
  const std::string it = settingsHint(Shown::kIt, from);
  switch (f.kind) {
    case FailureKind::kNotFound:
      return formatMessage(
          translate("cannot find the proxy {0}: its name is not known on the network; check the "
                    "proxy setting, or ask the IT department which proxy to use {1}: {2}"),
          {proxyName(f), it, f.url});
    case FailureKind::kNoAnswerInTime:
      return formatMessage(
          translate("the proxy {0} did not open a connection to {1} within {2} s; ask the IT "
                    "department to check the proxy {3}: {4}"),
          {proxyName(f), f.service, secondsText(f.seconds), it, f.url});
    case FailureKind::kProxyGarbled:
      return formatMessage(
          translate("the proxy {0} gave no usable answer when asked for a connection to {1}; ask "
                    "the IT department to check the proxy {2}: {3}"),
          {proxyName(f), f.service, it, f.url});
    case FailureKind::kSignInRefused:
      return formatMessage(
          translate("the proxy {0} requires sign-in (methods: {1}) and did not accept it; ask the "
                    "IT department to give this user access through the proxy: {2}"),
          {proxyName(f),
           f.signInMethods.empty() ? std::string(translate("none offered")) : f.signInMethods,
           f.url});
    case FailureKind::kTlsFailed:
      return formatMessage(
          translate("the proxy {0} opened a connection to {1}, but no secure connection (TLS) "
                    "could be set up through it; ask the IT department to check the proxy {2}: "
                    "{3}"),
          {proxyName(f), f.service, it, f.url});
    case FailureKind::kTunnelRefused:
      return formatMessage(
          translate("the proxy {0} refused to open a connection to {1} (status {2}); ask the IT "
                    "department to let the proxy reach that address: {3}"),
          {proxyName(f), f.service, std::to_string(f.status), f.url});
    default:
      return formatMessage(
          translate("cannot reach the proxy {0}: it refused the connection or cannot be reached; "
                    "check the network connection, or ask the IT department which proxy to use "
                    "{1}: {2}"),
          {proxyName(f), it, f.url});
  }
}

std::string certificateFailureText(const RequestFailure& f, StartedFrom from) {
  switch (f.kind) {
    case FailureKind::kExpired:
      return formatMessage(
          translate("the certificate of {0} has expired or is not valid yet; check the date and "
                    "time of this computer, or ask the IT department to renew the service's "
                    "certificate: {1}"),
          {f.host, f.url});
    case FailureKind::kWrongName:
      return formatMessage(
          translate("the certificate of {0} was issued for another name; ask the IT department "
                    "to check the service address {1} and the service's certificate: {2}"),
          {f.host, settingsHint(Shown::kIt, from), f.url});
    case FailureKind::kTrustUnusable:
      return formatMessage(
          translate("the certificate of {0} cannot be checked, as {1} cannot be used; ask the IT "
                    "department for a valid bundle {2}: {3}"),
          {f.host, f.trust, settingsHint(Shown::kTrust, from), f.url});
    default:
      return formatMessage(
          translate("the certificate of {0} is not trusted by {1}; ask the IT department which "
                    "certificate authority to trust {2}: {3}"),
          {f.host, f.trust, settingsHint(Shown::kTrust, from), f.url});
  }
}

// An answer that arrived but cannot be used; what says what is wrong with it.
std::string unusableAnswerText(const std::string& what, const RequestFailure& f) {
  std::string details = what;
  if (f.status != 0 && (f.status < 200 || f.status > 299)) {
    details += ", " + formatMessage(translate("HTTP status {0}"), {std::to_string(f.status)});
  }
  return formatMessage(
      translate("the timetable service sent an answer that cannot be read; try again "
                "later, or ask the IT department to check the service: {0}"),
      {details + ", " + f.url});
}

std::string answerFailureText(const RequestFailure& f, StartedFrom from) {
  switch (f.kind) {
    case FailureKind::kTooLarge:
      return formatMessage(
          translate("the timetable service sent an answer larger than {0} MB; ask the IT "
                    "department to check the service: {1}"),
          {std::to_string(f.limit / (1024 * 1024)), f.url});
    case FailureKind::kTooDeep:
      return formatMessage(
          translatePlural("the timetable service sent an answer nested deeper than {0} level; "
                          "ask the IT department to check the service: {1}",
                          "the timetable service sent an answer nested deeper than {0} levels; "
                          "ask the IT department to check the service: {1}",
                          static_cast<unsigned long>(f.limit)),
          {std::to_string(f.limit), f.url});
    case FailureKind::kNotAnObject:
      return unusableAnswerText(translate("JSON that is not an object"), f);
    case FailureKind::kNotAvailable:
      return formatMessage(
          translatePlural("the timetable service is still not available after {0} try (HTTP "
                          "status {1}); try again in a few minutes: {2}",
                          "the timetable service is still not available after {0} tries (HTTP "
                          "status {1}); try again in a few minutes: {2}",
                          static_cast<unsigned long>(f.tries)),
          {std::to_string(f.tries), std::to_string(f.status), f.url});
    case FailureKind::kNoService:
      return formatMessage(
          translate("there is no timetable service at this address (HTTP status {0}); ask the IT "
                    "department to check the service address {1}: {2}"),
          {std::to_string(f.status), settingsHint(Shown::kIt, from), f.url});
    case FailureKind::kServiceError:
      return formatMessage(
          translate("the timetable service reported an error (HTTP status {0}); try again "
                    "later, or ask the IT department to check the service: {1}"),
          {std::to_string(f.status), f.url});
    default:
      // TRANSLATORS: what the timetable service's answer was, in a list of details.
      return unusableAnswerText(f.answerBytes == 0 ? translate("empty") : translate("not JSON"), f);
  }
}

// A service that was not reached: the cause in the user's words.
std::string unreachableText(const std::string& cause, const RequestFailure& f, StartedFrom from) {
  return formatMessage(
      translate("cannot reach the timetable service at {0}; check the network connection, or ask "
                "the IT department to check the service address {1}: {2}"),
      {f.service, settingsHint(Shown::kAddress, from), cause + " (" + f.url + ")"});
}

}  // namespace

std::string requestFailureText(const RequestFailure& f, StartedFrom from) {
  if (f.stage == FailureStage::kProxy) return proxyFailureText(f, from);
  switch (f.kind) {
    case FailureKind::kNotFound:
      return unreachableText(translate("the server's name is not known on the network"), f, from);
    case FailureKind::kRefused:
      return unreachableText(translate("the server refused the connection or cannot be reached"), f,
                             from);
    case FailureKind::kConnectTimedOut:
      return unreachableText(formatMessage(translate("no connection could be made within {0} s"),
                                           {secondsText(f.seconds)}),
                             f, from);
    case FailureKind::kTlsFailed:
      return unreachableText(translate("the secure connection (TLS) could not be set up"), f, from);
    case FailureKind::kNoAnswerInTime:
      if (f.stage == FailureStage::kTls) {
        return formatMessage(
            translate("the timetable service at {0} did not set up the secure connection (TLS) "
                      "within {1} s; try again later, or ask the IT department to check the "
                      "service: {2}"),
            {f.service, secondsText(f.seconds), f.url});
      }
      return formatMessage(
          translate("the timetable service at {0} did not answer within {1} s; try again later, "
                    "or ask the IT department to check the service: {2}"),
          {f.service, secondsText(f.seconds), f.url});
    case FailureKind::kCutOff:
      if (f.stage == FailureStage::kRequest) {
        return formatMessage(
            translate("the connection to the timetable service at {0} broke off while the "
                      "request was sent; try again later, or ask the IT department to check the "
                      "service: {1}"),
            {f.service, f.url});
      }
      return formatMessage(
          translate("the timetable service at {0} broke off its answer midway; try again later, "
                    "or ask the IT department to check the service: {1}"),
          {f.service, f.url});
    case FailureKind::kNothingAnswered:
      return formatMessage(
          translate("the timetable service at {0} closed the connection without an answer; try "
                    "again later, or ask the IT department to check the service: {1}"),
          {f.service, f.url});
    case FailureKind::kOutOfMemory:
      return formatMessage(translate("there is not enough memory for the answer of the timetable "
                                     "service; close other programs and try again: {0}"),
                           {f.url});
    case FailureKind::kNotTrusted:
    case FailureKind::kWrongName:
    case FailureKind::kExpired:
    case FailureKind::kTrustUnusable:
      return certificateFailureText(f, from);
    case FailureKind::kTooLarge:
    case FailureKind::kNotJson:
    case FailureKind::kNotAnObject:
    case FailureKind::kTooDeep:
    case FailureKind::kNotAvailable:
    case FailureKind::kNoService:
    case FailureKind::kServiceError:
      return answerFailureText(f, from);
    default:
      return unreachableText(translate("an unexpected fault, whose details are in the support log"),
                             f, from);
  }
}

std::string retryNoticeText(const RetryNotice& notice) {
  const RequestFailure& f = notice.cause;
  std::string cause;
  if (f.kind == FailureKind::kNotAvailable && f.status == 429) {
    cause = translate("the timetable service asks to wait (HTTP status 429)");
  } else if (f.kind == FailureKind::kNotAvailable) {
    cause = formatMessage(translate("the timetable service is not available just now (HTTP status "
                                    "{0})"),
                          {std::to_string(f.status)});
  } else if (f.kind == FailureKind::kNothingAnswered) {
    cause = translate("the timetable service closed the connection without an answer");
  } else if (f.stage == FailureStage::kRequest) {
    cause = translate("the connection to the timetable service broke off");
  } else {
    cause = translate("the timetable service broke off its answer");
  }
  return formatMessage(translate("{0}; trying again in {1} s (try {2} of {3})"),
                       {cause, std::to_string(notice.waitSeconds), std::to_string(notice.nextTry),
                        std::to_string(notice.tries)});
}

void showRetryNotice(const RetryNotice& notice) { ::notice(retryNoticeText(notice)); }
