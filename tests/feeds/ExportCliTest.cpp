#include "core/clsMD5.h"
#include "feeds/ItemExport.h"
#include "feeds/ItemStore.h"
#include "support/CliRunner.h"
#include "support/TempHome.h"

#include <gumbo.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace tidewell {
namespace {

using test::CliRun;
using test::runCli;
using test::TempHome;

const QString kFeed = QStringLiteral("9F8E7D6C-5B4A-4392-8170-6F5E4D3C2B1A");

// What a browser would see in the exported document, read by an HTML5 parser.
struct Document {
  std::vector<QString> elements;
  std::vector<std::pair<QString, QString>> attributes;  // name, value
  QString title;
  QString csp;
  bool utf8 = false;
};

Document parse(const QByteArray& html) {
  Document doc;
  GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, html.constData(), size_t(html.size()));
  std::vector<const GumboNode*> stack{output->root};
  while (!stack.empty()) {
    const GumboNode* node = stack.back();
    stack.pop_back();
    if (node->type != GUMBO_NODE_ELEMENT) continue;
    const GumboElement& element = node->v.element;
    const QString name = QString::fromUtf8(gumbo_normalized_tagname(element.tag));
    doc.elements.push_back(name);
    for (unsigned i = 0; i < element.attributes.length; ++i) {
      const auto* a = static_cast<const GumboAttribute*>(element.attributes.data[i]);
      doc.attributes.emplace_back(QString::fromUtf8(a->name), QString::fromUtf8(a->value));
    }
    if (element.tag == GUMBO_TAG_META) {
      const GumboAttribute* equiv = gumbo_get_attribute(&element.attributes, "http-equiv");
      const GumboAttribute* content = gumbo_get_attribute(&element.attributes, "content");
      const GumboAttribute* charset = gumbo_get_attribute(&element.attributes, "charset");
      if (equiv && content && std::strcmp(equiv->value, "Content-Security-Policy") == 0) {
        doc.csp = QString::fromUtf8(content->value);
      }
      if (charset && QString::fromUtf8(charset->value).compare(QLatin1String("utf-8"), Qt::CaseInsensitive) == 0) {
        doc.utf8 = true;
      }
    }
    if (element.tag == GUMBO_TAG_TITLE && element.children.length == 1) {
      doc.title = QString::fromUtf8(static_cast<const GumboNode*>(element.children.data[0])->v.text.text);
    }
    for (unsigned i = element.children.length; i > 0; --i) {
      stack.push_back(static_cast<const GumboNode*>(element.children.data[i - 1]));
    }
  }
  gumbo_destroy_output(&kGumboDefaultOptions, output);
  return doc;
}

TEST(ExportCli, TheDocumentRunsNothingAndLoadsOnlyPictures) {
  TempHome home;
  FeedItem item;
  item.title = QStringLiteral("<script>alert(1)</script>Harbour \"news\" [[desc]]");
  item.link = QStringLiteral("http://harbour.invalid/a\"><script>document.title=\"PWNED\"</script>");
  item.media = QStringLiteral("http://harbour.invalid/a.mp3\" onclick=\"alert(2)");
  item.description = QStringLiteral(
      "<p>Tide tables</p><script>document.title='SCRIPT RAN'</script>"
      "<img src=\"x\" onerror=\"fetch('http://127.0.0.1:9/'+location)\">"
      "<img src=\"https://harbour.invalid/p.png\" alt=\"pier\"><a href=\"javascript:alert(3)\">more</a>"
      "<iframe src=\"file:///etc/passwd\"></iframe><svg onload=\"alert(4)\"></svg>");
  item.day = QStringLiteral("07");
  item.month = QStringLiteral("Sep");
  item.year = QStringLiteral("2002");
  item.time = QStringLiteral("00:00:01");
  item.id = clsMD5().GetMD5(item.link);
  ItemStore(home.paths().itemStore(kFeed)).AddItemToStore(item);
  const QStringList base = {QStringLiteral("--home"), home.path(), QStringLiteral("export"), kFeed, item.id};

  CliRun run = runCli(base + QStringList{QStringLiteral("--html"), home.file(QStringLiteral("item.html"))});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  const QJsonObject answer = QJsonDocument::fromJson(run.out).object();
  EXPECT_EQ(answer.value(QStringLiteral("format")).toString(), QStringLiteral("html"));
  EXPECT_EQ(answer.value(QStringLiteral("item")).toString(), item.id);

  const QByteArray html = home.read(QStringLiteral("item.html"));
  const Document doc = parse(html);
  EXPECT_TRUE(doc.utf8);
  EXPECT_EQ(doc.csp.toStdString(), ItemExport::kContentSecurityPolicy);
  EXPECT_EQ(doc.title, item.title);
  for (const QString& element : doc.elements) {
    EXPECT_NE(element, QStringLiteral("script"));
    EXPECT_NE(element, QStringLiteral("iframe"));
    EXPECT_NE(element, QStringLiteral("svg"));
  }
  int pictures = 0;
  for (const auto& [name, value] : doc.attributes) {
    EXPECT_FALSE(name.startsWith(QLatin1String("on"))) << name.toStdString() << "=" << value.toStdString();
    if (name == QLatin1String("href") || name == QLatin1String("src")) {
      const QString scheme = QUrl(value).scheme();
      EXPECT_TRUE(scheme == QLatin1String("http") || scheme == QLatin1String("https")) << value.toStdString();
      EXPECT_FALSE(value.contains(QLatin1Char('"')) || value.contains(QLatin1Char('<'))) << value.toStdString();
    }
    if (name == QLatin1String("src")) ++pictures;
  }
  EXPECT_EQ(pictures, 2);  // "x" is a picture on the item's server, without its handler
  EXPECT_TRUE(html.contains("Tide tables"));
  EXPECT_FALSE(html.contains("SCRIPT RAN"));
  EXPECT_FALSE(html.toLower().contains("<script"));

  run = runCli(base + QStringList{QStringLiteral("--text"), home.file(QStringLiteral("item.txt"))});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  const QString text = QString::fromUtf8(home.read(QStringLiteral("item.txt")));
  EXPECT_TRUE(text.startsWith(item.title));
  EXPECT_TRUE(text.contains(QStringLiteral("Tide tables")));
  EXPECT_TRUE(text.contains(QStringLiteral("07 Sep 2002 00:00:01")));
  EXPECT_FALSE(text.contains(QStringLiteral("SCRIPT RAN")));
  EXPECT_FALSE(text.contains(QStringLiteral("fetch(")));

  // An unknown item, and the forms the command refuses.
  run = runCli({QStringLiteral("--home"), home.path(), QStringLiteral("export"), kFeed, QString(32, QLatin1Char('0')),
                QStringLiteral("--html"), home.file(QStringLiteral("none.html"))});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_FALSE(QFile::exists(home.file(QStringLiteral("none.html"))));
  run = runCli(base);
  EXPECT_EQ(run.exitCode, 2);
  run = runCli(
      base + QStringList{QStringLiteral("--html"), QStringLiteral("a"), QStringLiteral("--text"), QStringLiteral("b")});
  EXPECT_EQ(run.exitCode, 2);
}

}  // namespace
}  // namespace tidewell
