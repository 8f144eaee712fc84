#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

#include "service/proxy_choice.h"
#include "service/proxy_url.h"
#include "service/request_session.h"
#include "service/service_request.h"

namespace {

// A service that takes the connection and never answers, not even to TLS's first message:
// libcurl's own limits would wait 10 s and more, the watchdog ends the transfer at its own.
TEST(RequestSession, TheWatchdogEndsATransferThatNothingAnswers) {
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), size), 0);
  ASSERT_EQ(listen(listener, 1), 0);
  ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size), 0);
  ServiceSettings settings;
  settings.host = "127.0.0.1";
  settings.port = ntohs(address.sin_port);
  startServiceRequests(settings, ProxyChoice());
  const auto start = std::chrono::steady_clock::now();
  const Transfer transfer = performTransfer(sessionBaseUrl(), 1024, false, 1);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  endServiceRequests();
  close(listener);
  EXPECT_TRUE(transfer.facts.deadline);
  EXPECT_NE(transfer.facts.code, 0);
  EXPECT_LT(elapsed, std::chrono::seconds(5));
}

}  // namespace
