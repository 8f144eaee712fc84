#include "service/service_settings.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/settings_store_test_support.h"

namespace {

std::string reasonOf(const std::string& text) {
  std::string host;
  int port = 0;
  return readServiceAddress(text, host, port);
}

TEST(ServiceSettings, AddressesAreHostNamesOrIpAddressesWithAnOptionalPort) {
  std::string host;
  int port = 0;
  EXPECT_EQ(readServiceAddress("timetable.example.org", host, port), "");
  EXPECT_EQ(host + " " + std::to_string(port), "timetable.example.org 9640");
  EXPECT_EQ(readServiceAddress("[::1]:65535", host, port), "");
  EXPECT_EQ(host + " " + std::to_string(port), "[::1] 65535");
  for (const char* good : {"localhost:1", "10.0.0.7", "a-b.c9", "[2001:db8::7:1]",
                           "[1:2:3:4:5:6:7:8]", "[::ffff:192.0.2.1]:443"}) {
    EXPECT_EQ(reasonOf(good), "") << good;
  }
  const std::string notHost = "is not a host name or IP address";
  for (const char* bad : {"", "a b", "-a.org", "a..org", "a_b", "::1", "[::1", "[1::2::3]",
                          "[1:2:3:4:5:6:7:8:9]", "[::1]x", "https://a", "a:1:2", "300.1.1.1",
                          "1.2.3", "a.org/path", "a:", "a:x1", "a:-1", "[::1]:"}) {
    EXPECT_EQ(reasonOf(bad), notHost) << bad;
  }
  const std::string badPort = "has a port outside 1 to 65535";
  for (const char* bad : {"a:0", "a:65536", "a:123456", "[::1]:99999"}) {
    EXPECT_EQ(reasonOf(bad), badPort) << bad;
  }
}

TEST(ServiceSettings, ALaterSourceWinsAndAnEmptyValueIsTheBuiltInOne) {
  const std::vector<StoredSetting> stored = {
      {"service", "machine.example.org", "/etc/timetable-print.conf, line 3"},
      {"ca-file", "/etc/site.pem", "/etc/timetable-print.conf, line 4"},
      {"service", "user.example.org:9641", "config, line 1"},
      {"ca-file", "", "config, line 2"}};
  ServiceSettings settings = serviceSettingsOf(stored, "");
  EXPECT_EQ(serviceBaseUrl(settings), "https://user.example.org:9641/?");
  EXPECT_EQ(settings.service.origin, "config, line 1");
  EXPECT_EQ(settings.caFile.value, "");
  settings = serviceSettingsOf(stored, "[::1]");
  EXPECT_EQ(serviceBaseUrl(settings), "https://[::1]:9640/?");
  EXPECT_EQ(settings.service.origin, "the option --service");
  settings = serviceSettingsOf({}, "");
  EXPECT_EQ(serviceBaseUrl(settings), std::string("https://") + kBuiltInServiceHost + ":9640/?");
  EXPECT_EQ(settings.service.origin, "");
}

TEST(ServiceSettings, ABadValueNamesTheSettingTheValueAndWhereItCameFrom) {
  try {
    serviceSettingsOf({{"service", "a:70000", "/etc/timetable-print.conf, line 3"}}, "");
    FAIL() << "no error";
  } catch (const std::runtime_error& failure) {
    EXPECT_EQ(std::string(failure.what()),
              "the setting service = \"a:70000\" (from /etc/timetable-print.conf, line 3) has a "
              "port outside 1 to 65535; write HOST or HOST:PORT, an IPv6 address in brackets");
  }
}

TEST(ServiceSettings, FileTextIsNameEqualsValueLines) {
  const std::vector<StoredSetting> settings = settingsOfText(
      "\xEF\xBB\xBF# the site's service\r\n\n  service =  a.example.org:9641 \r\n"
      "ca-file=C:\\x=y#1.pem # the site's\n   # indented comment\ncolour =\n",
      "f");
  ASSERT_EQ(settings.size(), 3u);
  EXPECT_EQ(settings[0].name + "|" + settings[0].value + "|" + settings[0].origin,
            "service|a.example.org:9641|f, line 3");
  EXPECT_EQ(settings[1].name + "|" + settings[1].value, "ca-file|C:\\x=y#1.pem");
  EXPECT_EQ(settings[2].name + "|" + settings[2].value + "|" + settings[2].origin,
            "colour||f, line 6");
  EXPECT_THROW(settingsOfText("service\n", "f"), std::runtime_error);
  EXPECT_THROW(settingsOfText(" = x\n", "f"), std::runtime_error);
}

}  // namespace
