#include "platform/settings_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/setting_names.h"

namespace {

TEST(SettingsStore, FileTextIsNameEqualsValueLines) {
  std::vector<std::string> problems;
  const std::vector<StoredSetting> settings = settingsOfText(
      "\xEF\xBB\xBF# the site's service\r\n\n  service =  a.example.org:9641 \r\n"
      "ca-file=C:\\x=y#1.pem # the site's\n   # indented comment\ncolour =\n",
      "f", problems);
  EXPECT_TRUE(problems.empty());
  ASSERT_EQ(settings.size(), 3u);
  EXPECT_EQ(settings[0].name + "|" + settings[0].value + "|" + settings[0].origin,
            "service|a.example.org:9641|f, line 3");
  EXPECT_EQ(settings[1].name + "|" + settings[1].value, "ca-file|C:\\x=y#1.pem");
  EXPECT_EQ(settings[2].name + "|" + settings[2].value + "|" + settings[2].origin,
            "colour||f, line 6");
  // Files joined together keep their byte order marks, which must not hide the name.
  const std::vector<StoredSetting> joined =
      settingsOfText("a = 1\n\xEF\xBB\xBFservice = b\n", "f", problems);
  ASSERT_EQ(joined.size(), 2u);
  EXPECT_EQ(joined[1].name + "|" + joined[1].origin, "service|f, line 2");
  EXPECT_TRUE(problems.empty());
}

TEST(SettingsStore, EveryBadLineIsAProblemAndTheOthersAreStillRead) {
  std::vector<std::string> problems;
  const char text[] = "service\n = x\nca-file = /etc/x.pem\0.evil\nproxy = direct\n";
  const std::vector<StoredSetting> settings =
      settingsOfText(std::string(text, sizeof text - 1), "f", problems);
  ASSERT_EQ(settings.size(), 1u);
  EXPECT_EQ(settings[0].name + "|" + settings[0].origin, "proxy|f, line 4");
  ASSERT_EQ(problems.size(), 3u);
  EXPECT_EQ(problems[0], "f, line 1: this is not a setting; write each setting as name = value");
  EXPECT_EQ(problems[1], "f, line 2: this is not a setting; write each setting as name = value");
  EXPECT_EQ(problems[2],
            "f, line 3: the line holds a NUL character, which no setting may hold; remove it: "
            "\"/etc/x.pem...\"");
}

TEST(SettingsStore, OneTableNamesEverySettingAndItsRegistryValue) {
  std::string pairs;
  for (size_t i = 0; i < kSettingNameCount; ++i) {
    pairs += std::string(kSettingNames[i].name) + "=" + kSettingNames[i].registryValue + " ";
  }
  EXPECT_EQ(pairs,
            "service=Service ca-file=CAFile proxy=Proxy destination=Destination events=Events "
            "offline=Offline prefetch=Prefetch ");
  EXPECT_TRUE(isSettingName("destination"));
  EXPECT_FALSE(isSettingName("Service"));
  EXPECT_EQ(settingNamesText(),
            "service, ca-file, proxy, destination, events, offline and prefetch");
  EXPECT_STREQ(settingName(kServiceSetting), "service");
  EXPECT_STREQ(settingName(kCaFileSetting), "ca-file");
  EXPECT_STREQ(settingName(kProxySetting), "proxy");
  EXPECT_STREQ(settingName(kDestinationSetting), "destination");
  EXPECT_STREQ(settingName(kEventsSetting), "events");
  EXPECT_STREQ(settingName(kOfflineSetting), "offline");
  EXPECT_STREQ(settingName(kPrefetchSetting), "prefetch");
}

}  // namespace
