#include "driver/settings_report.h"

#include <cstdio>

#include "platform/console.h"
#include "platform/messages.h"
#include "platform/support_log.h"
#include "platform/translation.h"
#include "service/proxy_choice.h"

int runSettingsReport(const InvocationPlan& plan) {
  writeConsoleText(stdout, eachLineOneLine(describePlanSettings(plan)));
  if (plan.proxyChosen) {
    writeConsoleText(stdout, eachLineOneLine(describeProxyChoice(plan.service, plan.proxy)));
  }
  writeConsoleText(stdout, eachLineOneLine(supportLogText() + "\n"));
  // An unknown name is only a warning for a run, but a script that checks the settings must
  // see it fail.
  if (plan.errors.empty() && plan.service.unknownSettings.empty() && !anySettingWrong(plan)) {
    return 0;
  }
  error(
      translate("some of the settings above cannot be used; correct the ones marked wrong, or ask "
                "the IT department"));
  return 1;
}
