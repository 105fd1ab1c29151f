#pragma once

#include <QString>
#include <QUrl>

namespace tidewell {

// What one page built from feed HTML may hold at most. Each bound keeps the
// work of the parser and of the renderer after it in proportion to the
// page, whatever the feed sends.
struct SanitizerLimits {
  // Longer input is cut before it is parsed.
  qsizetype maxInputChars = qsizetype(512) * 1024;
  // Nesting of the input as written; deeper tags are left out (their text
  // stays) before the parser would spend time proportional to depth on
  // every tag.
  int maxSourceNesting = 512;
  // Nesting of the elements kept; deeper elements give up their tag and keep
  // their text.
  int maxDepth = 32;
  // Tables inside tables: each level multiplies the renderer's work.
  int maxTableNesting = 4;
  int maxElements = 5000;
  qsizetype maxTextChars = qsizetype(256) * 1024;
  // A picture carried inline in its address (data:); larger ones are dropped.
  qsizetype maxDataUriChars = qsizetype(512) * 1024;
};

struct SanitizedHtml {
  QString html;      // the allow-listed tree, serialised
  QString text;      // its text, paragraphs on lines of their own
  bool cut = false;  // a bound was reached: the page shows less than the feed sent
};

// Feed HTML made fit to show: parsed by an HTML5 parser (gumbo) and written
// back from an allow-list of elements, attributes and address schemes. Scripts,
// styles, frames, forms, event handlers and every resource but <img> from
// http(s) or an inline picture are dropped; links keep http, https and mailto
// only. Used for the preview, the exported document and the e-mail alike.
class HtmlSanitizer {
 public:
  explicit HtmlSanitizer(SanitizerLimits limits = {}) : limits_(limits) {}

  // base: what relative addresses are resolved against; without one,
  // relative pictures are dropped and relative links kept only as fragments.
  SanitizedHtml sanitize(const QString& html, const QUrl& base = QUrl()) const;

  const SanitizerLimits& limits() const { return limits_; }

 private:
  SanitizerLimits limits_;
};

}  // namespace tidewell
