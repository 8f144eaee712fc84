#include "service/proxy_choice.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

TEST(ProxyChoice, SystemListGivesTheProxyForHttps) {
  EXPECT_EQ(proxyOfSystemList("127.0.0.1:8080"), "http://127.0.0.1:8080");
  EXPECT_EQ(proxyOfSystemList("http=web:80;https=secure:3128;ftp=f:21"), "http://secure:3128");
  EXPECT_EQ(proxyOfSystemList("HTTPS=secure:3128"), "http://secure:3128");
  EXPECT_EQ(proxyOfSystemList("first:1; second:2"), "http://first:1");
  EXPECT_EQ(proxyOfSystemList("http=web:80"), "");
  EXPECT_EQ(proxyOfSystemList(""), "");
}

TEST(ProxyChoice, BypassListWithLocalAndWildcards) {
  EXPECT_TRUE(inBypassList("localhost", "<local>"));
  EXPECT_TRUE(inBypassList("LocalHost", "intranet;localhost"));
  EXPECT_FALSE(inBypassList("timetable.example.org", "<local>"));
  EXPECT_TRUE(inBypassList("timetable.example.org", "*.other.org; *.EXAMPLE.org"));
  EXPECT_TRUE(inBypassList("10.1.2.3", "10.*"));
  EXPECT_FALSE(inBypassList("110.1.2.3", "10.*"));
  EXPECT_FALSE(inBypassList("example.org.evil", "*.example.org"));
  EXPECT_FALSE(inBypassList("[::1]", "<local>"));
  EXPECT_TRUE(inBypassList("[::1]", "::1"));
  EXPECT_FALSE(inBypassList("localhost", ""));
}

TEST(ProxyChoice, VariablesInLibcurlsOrder) {
  std::map<std::string, std::string> variables;
  auto read = [&variables](const char* name) { return variables[name]; };
  EXPECT_EQ(proxyOfVariables("localhost", read).source, "");
  variables["ALL_PROXY"] = "http://all:1";
  variables["HTTPS_PROXY"] = "http://upper:2";
  ProxyChoice choice = proxyOfVariables("localhost", read);
  EXPECT_EQ(choice.url, "http://upper:2");
  EXPECT_EQ(choice.source, "HTTPS_PROXY");
  variables["https_proxy"] = "http://lower:3";
  EXPECT_EQ(proxyOfVariables("localhost", read).source, "https_proxy");
  variables["NO_PROXY"] = "localhost";
  choice = proxyOfVariables("localhost", read);
  EXPECT_EQ(choice.url, "");
  EXPECT_EQ(choice.why, "localhost is in NO_PROXY");
  // no_proxy comes before NO_PROXY, and does not name the host.
  variables["no_proxy"] = "example.org";
  EXPECT_EQ(proxyOfVariables("localhost", read).url, "http://lower:3");
}

ServiceSettings settingsFor(const std::string& service, const std::string& proxy = "") {
  ServiceSettings settings = serviceSettingsOf({{"service", service, "f, line 1"}});
  settings.proxy = Setting{proxy, proxy.empty() ? "" : "f, line 2", false, ""};
  return settings;
}

// What the program decides for the service at 127.0.0.1 (and localhost) with a proxy in
// https_proxy: the cases where it once said one thing and libcurl did another.
TEST(ProxyChoice, TheVariablesDecideAsLibcurlDocumentsThem) {
  std::map<std::string, std::string> variables = {{"https_proxy", "http://crew:pw@127.0.0.1:1"}};
  auto read = [&variables](const char* name) { return variables[name]; };
  const struct {
    const char* service;
    const char* noProxy;
    bool direct;
  } table[] = {{"127.0.0.1:9640", "127.0.0.0/8", true},    {"127.0.0.1:9640", "127.0.0.1/32", true},
               {"localhost:9640", "localhost.", true},     {"127.0.0.1:9640", ".0.0.1", false},
               {"127.0.0.1:9640", "example.org,*", false}, {"127.0.0.1:9640", "*", true}};
  for (const auto& row : table) {
    variables["no_proxy"] = row.noProxy;
    const ProxyChoice choice = chooseProxy(settingsFor(row.service), read);
    EXPECT_EQ(choice.url.empty(), row.direct) << row.service << " " << row.noProxy;
    EXPECT_EQ(choice.source, "https_proxy");
  }
  variables["no_proxy"] = "127.0.0.0/8";
  EXPECT_EQ(chooseProxy(settingsFor("127.0.0.1"), read).why, "127.0.0.1 is in no_proxy");
  // The setting comes before the variables.
  EXPECT_EQ(chooseProxy(settingsFor("127.0.0.1", "direct"), read).url, "");
  EXPECT_EQ(chooseProxy(settingsFor("127.0.0.1", "http://p:3"), read).url, "http://p:3");
}

TEST(ProxyChoice, TheLineNamesTheProxyWithoutItsPassword) {
  std::map<std::string, std::string> variables = {{"https_proxy", "http://crew:pa/ss@p:1"}};
  const ServiceSettings settings = settingsFor("localhost");
  const std::string line = describeProxyChoice(
      settings, chooseProxy(settings, [&variables](const char* name) { return variables[name]; }));
  EXPECT_EQ(line, "proxy for localhost:9640: http://***@p:1, from https_proxy\n");
}

}  // namespace
