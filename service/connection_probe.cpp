#include "service/connection_probe.h"

#include <cstdio>
#include <cstring>

#include "service/request_session.h"
#include "service/service_request.h"

std::string certificateDateText(const std::string& date) {
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char month[4] = "";
  int year = 0, monthNumber = 0, day = 0, hour = 0, minute = 0, second = 0;
  char zone[4] = "";
  if (std::sscanf(date.c_str(), "%3s %d %d:%d:%d %d %3s", month, &day, &hour, &minute, &second,
                  &year, zone) == 7) {
    for (int i = 0; i < 12; ++i) {
      if (std::strcmp(month, kMonths[i]) == 0) monthNumber = i + 1;
    }
  } else if (std::sscanf(date.c_str(), "%d-%d-%d %d:%d:%d %3s", &year, &monthNumber, &day, &hour,
                         &minute, &second, zone) != 7) {
    monthNumber = 0;
  }
  if (monthNumber == 0 || std::strcmp(zone, "GMT") != 0) return date;
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d UTC", year, monthNumber, day, hour,
                minute);
  return text;
}

ConnectionFacts checkServiceConnection() {
  ConnectionFacts facts;
  const std::string& url = sessionBaseUrl();
  const Transfer transfer = performTransfer(url, kMaxAnswerBytes, true);
  facts.address = transfer.primaryAddress;
  facts.port = transfer.primaryPort;
  facts.connectMilliseconds = transfer.connectMilliseconds;
  facts.tlsMilliseconds = transfer.tlsMilliseconds;
  if (transfer.facts.code != 0) {
    facts.failure = sessionFailure(transfer.facts, url);
    return facts;
  }
  const CertificateFields certificate = sessionCertificate();
  facts.subject = certificate.subject;
  facts.issuer = certificate.issuer;
  facts.expiry = certificateDateText(certificate.expiry);
  return facts;
}
