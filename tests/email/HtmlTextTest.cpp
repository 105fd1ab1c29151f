#include "email/HtmlText.h"

#include <gtest/gtest.h>

namespace tidewell {
namespace {

struct TextCase {
  const char* name;
  const char* html;
  const char* text;
};

const TextCase kTextCases[] = {
    {"paragraphs", "<p>One</p>\n<p>Two\nlines</p>", "One\r\n\r\nTwo lines"},
    {"breaks", "a<br>b<BR/>c", "a\r\nb\r\nc"},
    {"entities", "Tom &amp; Jerry &lt;3 &#8212; caf&#xE9; &nbsp;x &bogus;",
     "Tom & Jerry <3 \u2014 caf\u00e9 x &bogus;"},
    {"link with its address", "<a href='https://example.org/a'>https://example.org/a</a>", "https://example.org/a"},
    {"link with a label", "<a href=\"https://example.org/a\">the story</a>", "the story <https://example.org/a>"},
    {"lists", "<ul><li>first</li><li>second</li></ul>", "- first\r\n- second"},
    {"hidden parts", "<style>p{}</style><script>x()</script><!-- note -->shown", "shown"},
    {"rule", "above<hr size='1'>below", "above\r\n----\r\nbelow"},
};

TEST(HtmlText, TheReadersTextOfAMailBody) {
  for (const TextCase& c : kTextCases) {
    EXPECT_EQ(HtmlToPlainText(QString::fromUtf8(c.html)), QString::fromUtf8(c.text)) << c.name;
  }
}

}  // namespace
}  // namespace tidewell
