#include "email/EmailBody.h"

#include <gtest/gtest.h>

namespace tidewell {
namespace {

const QString kFooterStart = QStringLiteral("<p><font face='Verdana' size='1' color='#666666'><center>:: ");

QString bodyOf(const QString& tpl, const EmailBodyInput& input) { return BuildEmailBody(tpl, input, "Tidewell"); }

TEST(EmailBody, PersonalMessageForms) {
  struct Case {
    const char* name;
    QString message;
    QString expected;
  };
  const Case cases[] = {
      // No message: nothing in its place, rather than a "- None -" the recipient would read.
      {"empty", "", ""},
      {"blank", "  \r\n\t ", ""},
      {"one line", "Hi there", "Hi there"},
      {"two lines CRLF", "first\r\nsecond", "first\r\n<br>\r\nsecond"},
      {"two lines LF", "first\nsecond", "first\r\n<br>\r\nsecond"},
      {"trailing break", "Hello,\n", "Hello,\r\n<br>\r\n"},
      {"markup is text", "a < b & \"c\"", "a &lt; b &amp; &quot;c&quot;"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EmailPersonalMessageHtml(c.message), c.expected) << c.name;
  }
}

TEST(EmailBody, FullAndLinkModesFillTheTemplateAndAppendTheFooter) {
  const QString tpl = "<b>[[from_name]]</b>|[[personal_message]]|[[title]]|[[description]]|[[title]]";
  EmailBodyInput input;
  input.fromName = "Ann";
  input.personalMessage = "";
  input.title = "News";
  input.description = "<p>Full <i>story</i></p>";
  input.link = "https://example.org/a?x=1&y=2";

  const QString footer = EmailFooter("Tidewell");
  EXPECT_TRUE(footer.startsWith(kFooterStart));
  EXPECT_TRUE(
      footer.contains("This Email is manually sent using Tidewell. In case of dispute, please contact "
                      "Sender directly.</center></font></p><hr size='1' color='#666666'>"));

  input.mode = EmailSendMode::FullDescription;
  EXPECT_EQ(bodyOf(tpl, input), "<b>Ann</b>||News|<p>Full <i>story</i></p>|News\r\n" + footer);

  input.mode = EmailSendMode::LinkOnly;
  EXPECT_EQ(bodyOf(tpl, input),
            "<b>Ann</b>||News|View Online: <a href='https://example.org/a?x=1&amp;y=2'>"
            "https://example.org/a?x=1&amp;y=2</a>|News\r\n" +
                footer);
}

TEST(EmailBody, PlaceholdersAreCaseSensitiveAndNeverExpandedTwice) {
  EmailBodyInput input;
  input.fromName = "[[title]]";
  input.personalMessage = "see [[description]]";
  input.title = "T";
  input.description = "D [[from_name]]";
  const QString body = bodyOf("[[Title]] [[from_name]] [[personal_message]] [[[title]] [[description]]", input);
  EXPECT_TRUE(body.startsWith("[[Title]] [[title]] see [[description]] [T D [[from_name]]\r\n")) << body.toStdString();
}

TEST(EmailBody, TitleAndNameAreEscapedDescriptionIsNot) {
  EmailBodyInput input;
  input.fromName = "Tom & Jerry";
  input.title = "A <b>bold</b> claim";
  input.description = "<em>kept</em>";
  EXPECT_TRUE(bodyOf("[[from_name]]/[[title]]/[[description]]", input)
                  .startsWith("Tom &amp; Jerry/A &lt;b&gt;bold&lt;/b&gt; claim/<em>kept</em>\r\n"));
}

// The recipient's mail reader gets the feed's HTML as the preview shows it.
TEST(EmailBody, DescriptionIsSanitised) {
  EmailBodyInput input;
  input.link = "https://news.invalid/item";
  input.description =
      "<p onclick=\"x()\">story</p><script>steal()</script><img src=\"/pixel.gif\" style=\"x\">"
      "<a href=\"javascript:alert(1)\">j</a>";
  EXPECT_TRUE(bodyOf("[[description]]", input)
                  .startsWith("<p>story</p><img src=\"https://news.invalid/pixel.gif\"><a>j</a>\r\n"))
      << bodyOf("[[description]]", input).toStdString();
}

// The subject names the item; only an item without a title falls back to the feed.
TEST(EmailBody, DefaultSubjectNamesTheItem) {
  EXPECT_EQ(DefaultEmailSubject("Daily", "Storm  warning\nfor the coast"), "Storm warning for the coast");
  EXPECT_EQ(DefaultEmailSubject("Daily", "  "), "An Article from \"Daily\"");
}

}  // namespace
}  // namespace tidewell
