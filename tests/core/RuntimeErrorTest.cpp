#include "core/RuntimeError.h"

#include "support/ScriptedMessages.h"

#include <gtest/gtest.h>

using namespace tidewell;

TEST(RuntimeError, ReportsStepAndDescriptionUnderTheOperationTitle) {
  test::ScriptedMessages messages;
  reportRuntimeError(messages, "AddCategory", 4, QStringLiteral("Permission denied"));
  reportRuntimeError(messages, "ReadINI", 2, ErrorInfo{670, "INIReadWrite", "Buffer size not set"});
  ASSERT_EQ(messages.entries().size(), 2u);
  EXPECT_EQ(messages.entries()[0].text, "Error on Line 4\r\n\r\nPermission denied");
  EXPECT_EQ(messages.entries()[0].title, "AddCategory Function");
  EXPECT_EQ(messages.entries()[0].icon, MessageIcon::Critical);
  EXPECT_EQ(messages.entries()[1].text, "Error on Line 2\r\n\r\nBuffer size not set");
  EXPECT_EQ(messages.entries()[1].title, "ReadINI Function");
}
