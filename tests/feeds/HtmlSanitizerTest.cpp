#include "feeds/HtmlSanitizer.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QString>

using namespace tidewell;

namespace {

const QUrl kBase(QStringLiteral("https://news.example.invalid/2024/item.html"));

// The deepest element nesting of serialised output, which is well formed.
int nestingOf(const QString& html) {
  static const QRegularExpression tag(QStringLiteral("<(/?)([a-z0-9]+)[^>]*>"));
  int depth = 0;
  int deepest = 0;
  for (auto it = tag.globalMatch(html); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    const QString name = m.captured(2);
    if (name == QLatin1String("br") || name == QLatin1String("img") || name == QLatin1String("hr")) continue;
    depth += m.captured(1).isEmpty() ? 1 : -1;
    deepest = std::max(deepest, depth);
  }
  EXPECT_EQ(depth, 0) << "unbalanced output";
  return deepest;
}

QString repeated(const QString& piece, int times) {
  QString out;
  out.reserve(piece.size() * times);
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

struct Case {
  const char* name;
  const char* input;
  const char* expected;
};

// What the allow-list keeps and what it takes away, one input each.
const Case kCases[] = {
    {"plain markup stays", "<p>Hello <b>bold</b> <a href=\"https://x.invalid/a\">link</a></p>",
     "<p>Hello <b>bold</b> <a href=\"https://x.invalid/a\">link</a></p>"},
    {"script and its text go", "<p>a</p><script>document.title='PWNED'</script><p>b</p>", "<p>a</p><p>b</p>"},
    {"style elements go", "<style>body{background:url(http://t.invalid/x)}</style><p>a</p>", "<p>a</p>"},
    {"event handlers and styles go", "<img src=\"https://x.invalid/p.png\" onerror=\"alert(1)\" style=\"x\" alt=\"p\">",
     "<img src=\"https://x.invalid/p.png\" alt=\"p\">"},
    {"javascript links lose their address", "<a href=\"javascript:alert(1)\">x</a>", "<a>x</a>"},
    {"local pictures go, their alt stays", "<img src=\"file:///dev/zero\" alt=\"zero\"><img src=\"/dev/zero\">",
     "zero<img src=\"https://news.example.invalid/dev/zero\">"},
    {"relative links resolve against the item", "<a href=\"../more\">m</a>",
     "<a href=\"https://news.example.invalid/more\">m</a>"},
    {"fragments stay", "<a href=\"#note\">n</a>", "<a href=\"#note\">n</a>"},
    {"mailto keeps only the address", "<a href=\"mailto:a@x.invalid?attach=/etc/passwd&body=hi\">m</a>",
     "<a href=\"mailto:a@x.invalid\">m</a>"},
    {"inline pictures of image types stay", "<img src=\"data:image/png;base64,iVBORw0KGgo=\">",
     "<img src=\"data:image/png;base64,iVBORw0KGgo=\">"},
    {"inline documents go", "<img src=\"data:text/html,<script>x</script>\">", ""},
    {"frames, forms and objects go with their text",
     "<iframe src=\"https://x.invalid\">f</iframe><form><input value=v><textarea>t</textarea></form><object>o</object>",
     ""},
    {"table backgrounds and attributes go",
     "<table background=\"http://t.invalid/bg\" width=9999><tr><td "
     "colspan=2 bgcolor=red>c</td></tr></table>",
     "<table><tbody><tr><td colspan=\"2\">c</td></tr></tbody></table>"},
    {"unknown elements give up their tag", "<font color=red><center>t</center></font><blink>k</blink>", "tk"},
    {"svg goes whole", "<svg><script>x</script><text>s</text></svg>after", "after"},
    {"attribute values are escaped", "<img src=\"https://x.invalid/a.png\" alt='\"><script>x</script>'>",
     "<img src=\"https://x.invalid/a.png\" alt=\"&quot;&gt;&lt;script&gt;x&lt;/script&gt;\">"},
    {"text is escaped", "a &lt;b&gt; &amp; c", "a &lt;b&gt; &amp; c"},
    {"comments go", "a<!-- <img src=x> -->b", "ab"},
};

}  // namespace

class SanitizerCases : public ::testing::TestWithParam<Case> {};

TEST_P(SanitizerCases, KeepsOnlyTheAllowList) {
  const SanitizedHtml out = HtmlSanitizer().sanitize(QString::fromUtf8(GetParam().input), kBase);
  EXPECT_EQ(out.html.toStdString(), GetParam().expected);
  EXPECT_FALSE(out.cut);
}

INSTANTIATE_TEST_SUITE_P(AllowList, SanitizerCases, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           std::string name = info.param.name;
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

TEST(HtmlSanitizer, WithoutABaseRelativeAddressesGo) {
  const SanitizedHtml out =
      HtmlSanitizer().sanitize(QStringLiteral("<a href=\"/etc/passwd\">p</a><img src=\"/dev/zero\" alt=\"z\">"));
  EXPECT_EQ(out.html.toStdString(), "<a>p</a>z");
}

TEST(HtmlSanitizer, TextFormPutsBlocksOnTheirOwnLines) {
  const SanitizedHtml out = HtmlSanitizer().sanitize(
      QStringLiteral("<h1>Title</h1>\n  <p>one   two</p><ul><li>a</li><li>b</li></ul>x<br>y<script>z</script>"));
  EXPECT_EQ(out.text.toStdString(), "Title\none two\na\nb\nx\ny");
}

// The bounds that keep the parser and the renderer in proportion to the page.
TEST(HtmlSanitizer, DeepNestingIsFlattenedAndItsTextKept) {
  struct Deep {
    QString open;
    QString close;
    int times;
  };
  const Deep inputs[] = {{QStringLiteral("<div>"), QStringLiteral("</div>"), 10000},
                         {QStringLiteral("<b>"), QString(), 100000},
                         {QStringLiteral("<table><tr><td>"), QStringLiteral("</td></tr></table>"), 22},
                         {QStringLiteral("<div/>"), QString(), 20000},
                         {QStringLiteral("<span></p>"), QString(), 20000}};
  for (const Deep& deep : inputs) {
    SCOPED_TRACE(deep.open.toStdString());
    const QString input = repeated(deep.open, deep.times) + QStringLiteral("core") + repeated(deep.close, deep.times);
    const SanitizedHtml out = HtmlSanitizer().sanitize(input);
    EXPECT_LE(nestingOf(out.html), HtmlSanitizer().limits().maxDepth);
    EXPECT_LE(out.html.count(QStringLiteral("<table>")), HtmlSanitizer().limits().maxTableNesting);
    EXPECT_TRUE(out.html.contains(QStringLiteral("core")));
    EXPECT_FALSE(out.cut);
  }
}

TEST(HtmlSanitizer, LongInputIsCutAndSaysSo) {
  const SanitizerLimits limits;
  struct Long {
    QString piece;
    int times;
  };
  const Long inputs[] = {{QStringLiteral("<i>a</i>"), 6'500'000},  // 50 MB
                         {QStringLiteral("word "), 200'000},
                         {QStringLiteral("<p>p</p>"), 20'000}};
  for (const Long& input : inputs) {
    SCOPED_TRACE(input.piece.toStdString());
    const SanitizedHtml out = HtmlSanitizer().sanitize(repeated(input.piece, input.times));
    EXPECT_TRUE(out.cut);
    EXPECT_LE(out.html.count(QLatin1Char('<')), 2 * limits.maxElements);
    EXPECT_LE(out.text.size(), limits.maxTextChars);
    EXPECT_LE(nestingOf(out.html), limits.maxDepth);
  }
}

TEST(HtmlSanitizer, LargeInlinePicturesGo) {
  const QString big = QStringLiteral("<img alt=\"big\" src=\"data:image/png;base64,") +
                      QString(SanitizerLimits().maxDataUriChars, QLatin1Char('A')) + QStringLiteral("\">");
  SanitizerLimits roomy;  // the whole tag is read, so only the picture's own cap applies
  roomy.maxInputChars = 4 * big.size();
  EXPECT_EQ(HtmlSanitizer(roomy).sanitize(big).html.toStdString(), "big");
}
