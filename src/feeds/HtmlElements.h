#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <gumbo.h>

#include <functional>

namespace tidewell {

// The walk over a web page's elements that the feed and icon look-ups share:
// gumbo parses the page, every element is visited in document order without
// recursion (a hostile page may nest deeply), and the page's <base href>
// decides what relative addresses mean.
class HtmlElements {
 public:
  // Visits every element of html with the page's base address (the first
  // <base href> resolved against page, else page).
  static void forEach(const QByteArray& html, const QUrl& page,
                      const std::function<void(const GumboElement&, const QUrl& base)>& visit);
  // The trimmed value of an attribute, "" when it is absent.
  static QString attribute(const GumboElement& element, const char* name);
  // Whether a space-separated attribute value (rel) holds word, case-insensitively.
  static bool hasWord(const QString& words, const QString& word);
  // An address the program may download: http or https with a host.
  static bool isWeb(const QUrl& url);
};

}  // namespace tidewell
