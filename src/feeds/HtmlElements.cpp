#include "feeds/HtmlElements.h"

#include <vector>

namespace tidewell {

namespace {

void walk(GumboNode* root, const std::function<void(const GumboElement&)>& visit) {
  std::vector<GumboNode*> pending{root};
  while (!pending.empty()) {
    GumboNode* node = pending.back();
    pending.pop_back();
    if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_TEMPLATE) continue;
    visit(node->v.element);
    const GumboVector& children = node->v.element.children;
    for (unsigned i = children.length; i > 0; --i) pending.push_back(static_cast<GumboNode*>(children.data[i - 1]));
  }
}

}  // namespace

void HtmlElements::forEach(const QByteArray& html, const QUrl& page,
                           const std::function<void(const GumboElement&, const QUrl& base)>& visit) {
  GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, html.constData(), size_t(html.size()));
  if (output == nullptr) return;
  QUrl base = page;
  bool baseSeen = false;
  walk(output->root, [&](const GumboElement& element) {
    if (element.tag != GUMBO_TAG_BASE || baseSeen) return;
    const QString href = attribute(element, "href");
    if (href.isEmpty()) return;
    base = page.resolved(QUrl(href));
    baseSeen = true;
  });
  walk(output->root, [&](const GumboElement& element) { visit(element, base); });
  gumbo_destroy_output(&kGumboDefaultOptions, output);
}

QString HtmlElements::attribute(const GumboElement& element, const char* name) {
  const GumboAttribute* found = gumbo_get_attribute(&element.attributes, name);
  return found ? QString::fromUtf8(found->value).trimmed() : QString();
}

bool HtmlElements::hasWord(const QString& words, const QString& word) {
  for (const QString& part : words.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    if (part.compare(word, Qt::CaseInsensitive) == 0) return true;
  }
  return false;
}

bool HtmlElements::isWeb(const QUrl& url) {
  const QString scheme = url.scheme().toLower();
  return url.isValid() && !url.host().isEmpty() &&
         (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

}  // namespace tidewell
