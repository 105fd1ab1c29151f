#include "email/EmailAddress.h"
#include "email/MimeMessage.h"
#include "email/SmtpClient.h"

#include <QTimeZone>

#include <functional>
#include <vector>

#include <gtest/gtest.h>

namespace tidewell {
namespace {

TEST(EmailAddress, RecipientsAreSplitTrimmedAndChecked) {
  struct Case {
    const char* name;
    QString to;
    QStringList expected;  // empty: refused
    QString named;         // part the refusal must name
  };
  const Case cases[] = {
      {"one", "a@example.org", {"a@example.org"}, {}},
      {"two with blanks", " a@example.org ; b@example.net ", {"a@example.org", "b@example.net"}, {}},
      {"empty parts dropped", ";a@x.org;;  ;b@localhost;", {"a@x.org", "b@localhost"}, {}},
      {"display form", "Ann <ann@x.org>; bob@x.org", {"ann@x.org", "bob@x.org"}, {}},
      {"duplicates once", "a@x.org; A@x.org", {"a@x.org"}, {}},
      {"not an address", "a@x.org; bob", {}, "bob"},
      {"comma separated", "a@x.org, b@x.org", {}, "a@x.org, b@x.org"},
      {"double dot", "a..b@x.org", {}, "a..b@x.org"},
      {"non-ascii", "j\u00f6rg@x.org", {}, "j\u00f6rg@x.org"},
      {"nothing", " ; ", {}, "To:"},
      {"header injection", "a@x.org\r\nBcc: evil@x.org", {}, "line break"},
  };
  for (const Case& c : cases) {
    const Result<QStringList> result = ParseRecipients(c.to);
    if (c.expected.isEmpty()) {
      ASSERT_FALSE(result.ok()) << c.name;
      EXPECT_TRUE(result.error().description.contains(c.named))
          << c.name << ": " << result.error().description.toStdString();
    } else {
      ASSERT_TRUE(result.ok()) << c.name << ": " << result.error().description.toStdString();
      EXPECT_EQ(result.value(), c.expected) << c.name;
    }
  }
}

TEST(MimeMessage, HeaderTextIsPlainOrEncodedWords) {
  EXPECT_EQ(EncodeHeaderText("An Article from \"Daily\""), "An Article from \"Daily\"");
  EXPECT_EQ(EncodeHeaderText("Caf\u00e9"), "=?UTF-8?B?" + QString("Caf\u00e9").toUtf8().toBase64() + "?=");
  EXPECT_EQ(EncodeHeaderText("looks =?like?= a word").left(10), "=?UTF-8?B?");

  // Long ASCII stays readable: folded at blanks, every line within 78
  // characters, and unfolding gives the text back.
  const QString longAscii =
      "An Article from \"Daily\"  with  double blanks " + QString("and more words ").repeated(12) + "end";
  const QByteArray folded = EncodeHeaderText(longAscii);
  EXPECT_FALSE(folded.contains("=?"));
  const QList<QByteArray> lines = folded.split('\n');
  ASSERT_GT(lines.size(), 1);
  EXPECT_LE(lines.first().size() + 9, 79);  // "Subject: " and the CR
  for (const QByteArray& line : lines) {
    EXPECT_LE(line.size(), 79);
    EXPECT_FALSE(line.trimmed().isEmpty());
  }
  EXPECT_EQ(QString::fromLatin1(folded).remove("\r\n"), longAscii);
  // A word too long for any line is encoded instead.
  EXPECT_TRUE(EncodeHeaderText("x " + QString(1200, 'y')).startsWith("=?UTF-8?B?"));

  // A long text of multi-byte characters: every word within 75 characters and
  // every word decodes to whole characters on its own.
  const QString longText = QString("\u00fc\u20ac\U0001F600 ").repeated(40);
  const QList<QByteArray> words = EncodeHeaderText(longText).split('\n');
  ASSERT_GT(words.size(), 1);
  QString joined;
  for (QByteArray word : words) {
    word = word.trimmed();
    ASSERT_LE(word.size(), 75);
    ASSERT_TRUE(word.startsWith("=?UTF-8?B?") && word.endsWith("?="));
    const QByteArray bytes = QByteArray::fromBase64(word.mid(10, word.size() - 12));
    const QString part = QString::fromUtf8(bytes);
    ASSERT_EQ(part.toUtf8(), bytes);
    ASSERT_FALSE(part.contains(QChar::ReplacementCharacter));
    joined += part;
  }
  EXPECT_EQ(joined, longText);
}

TEST(MimeMessage, MailboxesQuoteOrEncodeTheName) {
  EXPECT_EQ(FormatMailbox("", "a@x.org"), "a@x.org");
  EXPECT_EQ(FormatMailbox("Ann \"A\" Lee", "a@x.org"), "\"Ann \\\"A\\\" Lee\" <a@x.org>");
  EXPECT_EQ(FormatMailbox("J\u00f6rg", "j@x.org"),
            "=?UTF-8?B?" + QString("J\u00f6rg").toUtf8().toBase64() + "?= <j@x.org>");
}

TEST(MimeMessage, DateIsInTheMailForm) {
  const QDateTime date(QDate(2026, 12, 10), QTime(5, 3, 4), QTimeZone(-(4 * 3600 + 30 * 60)));
  EXPECT_EQ(FormatMailDate(date), "Thu, 10 Dec 2026 05:03:04 -0430");
  EXPECT_EQ(FormatMailDate(QDateTime(QDate(2027, 1, 3), QTime(23, 59, 0), QTimeZone::utc())),
            "Sun, 03 Jan 2027 23:59:00 +0000");
}

TEST(MimeMessage, QuotedPrintableKeepsLinesShortAndEncodesWhatIsUnsafe) {
  EXPECT_EQ(EncodeQuotedPrintable("a=b\u00e9"), "a=3Db=C3=A9");
  EXPECT_EQ(EncodeQuotedPrintable("trail \nx\ty"), "trail=20\r\nx\ty");
  EXPECT_EQ(EncodeQuotedPrintable("From here\nFrom there"), "=46rom here\r\n=46rom there");
  const QByteArray longLine = EncodeQuotedPrintable(QString("x\u00e9").repeated(500) + "\r\n" + QString(2000, 'y'));
  for (const QByteArray& line : longLine.split('\n')) {
    EXPECT_LE(line.size(), 77);  // 76 characters and the CR
  }
}

TEST(MimeMessage, WholeMessageHasTheHeadersAndCrlfLines) {
  MimeMessageParts parts;
  parts.fromName = "Ann";
  parts.fromAddress = "ann@example.org";
  parts.recipients = {"a@x.org", "b@y.org"};
  parts.subject = "Hi";
  parts.htmlBody = "<p>one</p>\n<p>two</p>";
  parts.date = QDateTime(QDate(2026, 12, 10), QTime(5, 0, 0), QTimeZone::utc());
  parts.messageId = "id-1@example.org";
  const QByteArray message = BuildMimeMessage(parts);
  EXPECT_EQ(message,
            "From: \"Ann\" <ann@example.org>\r\n"
            "To: a@x.org,\r\n b@y.org\r\n"
            "Subject: Hi\r\n"
            "Date: Thu, 10 Dec 2026 05:00:00 +0000\r\n"
            "Message-ID: <id-1@example.org>\r\n"
            "MIME-Version: 1.0\r\n"
            "Content-Type: text/html; charset=UTF-8\r\n"
            "Content-Transfer-Encoding: quoted-printable\r\n"
            "\r\n"
            "<p>one</p>\r\n<p>two</p>\r\n");
}

TEST(PrepareSmtpMail, RefusesBeforeConnecting) {
  SmtpSettings good;
  good.host = "mail.example.org";
  good.port = "587";
  good.senderAddress = "me@example.org";
  good.senderName = "Me";
  good.authenticate = true;
  good.userName = "me";
  good.password = "s3cret-pass";
  const SmtpMail goodMail{"you@example.org", "Subject", "<p>x</p>"};
  ASSERT_TRUE(PrepareSmtpMail(good, goodMail).ok());

  struct Case {
    const char* name;
    std::function<void(SmtpSettings&, SmtpMail&)> change;
    QString named;
  };
  const std::vector<Case> cases{
      {"blank server", [](SmtpSettings& s, SmtpMail&) { s.host = "  "; }, "SMTP server is not set"},
      {"server with path", [](SmtpSettings& s, SmtpMail&) { s.host = "evil.org/x"; }, "evil.org/x"},
      {"port text", [](SmtpSettings& s, SmtpMail&) { s.port = "25a"; }, "\"25a\""},
      {"port range", [](SmtpSettings& s, SmtpMail&) { s.port = "70000"; }, "\"70000\""},
      {"sender", [](SmtpSettings& s, SmtpMail&) { s.senderAddress = "me"; }, "\"me\""},
      {"sender injection", [](SmtpSettings& s, SmtpMail&) { s.senderAddress = "me@x.org\r\nBcc: a@b.c"; }, "sender"},
      {"name injection", [](SmtpSettings& s, SmtpMail&) { s.senderName = "Me\r\nBcc: a@b.c"; }, "sender name"},
      {"subject injection", [](SmtpSettings&, SmtpMail& m) { m.subject = "Hi\nBcc: a@b.c"; }, "subject"},
      {"subject lone CR", [](SmtpSettings&, SmtpMail& m) { m.subject = "Hi\rBcc: a@b.c"; }, "subject"},
      {"recipient", [](SmtpSettings&, SmtpMail& m) { m.to = "you@example.org; not-an-address"; }, "not-an-address"},
  };
  for (const Case& c : cases) {
    SmtpSettings settings = good;
    SmtpMail mail = goodMail;
    c.change(settings, mail);
    const Result<SmtpEnvelope> result = PrepareSmtpMail(settings, mail);
    ASSERT_FALSE(result.ok()) << c.name;
    EXPECT_TRUE(result.error().description.contains(c.named))
        << c.name << ": " << result.error().description.toStdString();
    EXPECT_FALSE(result.error().description.contains(good.password)) << c.name;
  }
}

TEST(PrepareSmtpMail, BlankPortIsTheSecuritysStandardPortAndLoginOnlyWhenAsked) {
  SmtpSettings settings;
  settings.host = "127.0.0.1";
  settings.senderAddress = "me@example.org";
  settings.userName = "me";
  settings.password = "pw";
  settings.authenticate = false;
  const std::pair<SmtpSecurity, int> cases[] = {
      {SmtpSecurity::None, 25}, {SmtpSecurity::StartTls, 587}, {SmtpSecurity::Tls, 465}};
  for (const auto& [security, port] : cases) {
    settings.security = security;
    settings.port = " ";
    const Result<SmtpEnvelope> envelope = PrepareSmtpMail(settings, {"a@b.org", "s", "b"});
    ASSERT_TRUE(envelope.ok());
    EXPECT_EQ(envelope.value().port, port);
    EXPECT_EQ(envelope.value().security, security);
    EXPECT_FALSE(envelope.value().authenticate);
    EXPECT_TRUE(envelope.value().userName.isEmpty());
    EXPECT_TRUE(envelope.value().password.isEmpty());
  }
}

}  // namespace
}  // namespace tidewell
