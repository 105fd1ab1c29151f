#include "core/CommandLine.h"

#include <gtest/gtest.h>

using namespace tidewell;

TEST(CommandLine, OnlyTheExactWholeTextIsASwitch) {
  struct Case {
    QStringList args;
    CommandSwitch expected;
  };
  const Case cases[] = {
      {{"-s"}, CommandSwitch::StartInTray},
      {{"-debug"}, CommandSwitch::Debug},
      {{}, CommandSwitch::None},
      {{"-S"}, CommandSwitch::None},
      {{"-DEBUG"}, CommandSwitch::None},
      {{" -s"}, CommandSwitch::None},
      {{"-s "}, CommandSwitch::None},
      {{"-s", "-debug"}, CommandSwitch::None},
      {{"-debug", "-s"}, CommandSwitch::None},
      {{"", "-s"}, CommandSwitch::None},
      {{"--s"}, CommandSwitch::None},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(parseCommandSwitch(commandLineText(c.args)), c.expected) << c.args.join('|').toStdString();
  }
}
