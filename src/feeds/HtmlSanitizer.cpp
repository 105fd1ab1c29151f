#include "feeds/HtmlSanitizer.h"

#include "feeds/LinkPolicy.h"

#include <gumbo.h>

#include <QByteArray>
#include <QHash>

#include <cstring>
#include <memory>
#include <vector>

namespace tidewell {

namespace {

// Gumbo's nodes come from here and go all at once: nothing is freed node by
// node, so no walk over a deep tree is ever recursive (gumbo's own clean-up
// is), and a parse costs a handful of large allocations.
class Arena {
 public:
  static void* allocate(void* self, size_t size) { return static_cast<Arena*>(self)->take(size); }
  static void release(void*, void*) {}

 private:
  static constexpr size_t kBlock = size_t(256) * 1024;
  void* take(size_t size) {
    size = (size + alignof(std::max_align_t) - 1) & ~(alignof(std::max_align_t) - 1);
    if (size > kBlock / 4) {
      blocks_.push_back(std::make_unique<std::max_align_t[]>(size / sizeof(std::max_align_t) + 1));
      return blocks_.back().get();
    }
    if (left_ < size) {
      blocks_.push_back(std::make_unique<std::max_align_t[]>(kBlock / sizeof(std::max_align_t)));
      next_ = reinterpret_cast<char*>(blocks_.back().get());
      left_ = kBlock;
    }
    void* result = next_;
    next_ += size;
    left_ -= size;
    return result;
  }

  std::vector<std::unique_ptr<std::max_align_t[]>> blocks_;
  char* next_ = nullptr;
  size_t left_ = 0;
};

enum class Rule { Drop, Unwrap, Keep };

Rule ruleOf(GumboTag tag) {
  switch (tag) {
    case GUMBO_TAG_A:
    case GUMBO_TAG_ABBR:
    case GUMBO_TAG_B:
    case GUMBO_TAG_BLOCKQUOTE:
    case GUMBO_TAG_BR:
    case GUMBO_TAG_CAPTION:
    case GUMBO_TAG_CITE:
    case GUMBO_TAG_CODE:
    case GUMBO_TAG_DD:
    case GUMBO_TAG_DEL:
    case GUMBO_TAG_DFN:
    case GUMBO_TAG_DIV:
    case GUMBO_TAG_DL:
    case GUMBO_TAG_DT:
    case GUMBO_TAG_EM:
    case GUMBO_TAG_FIGCAPTION:
    case GUMBO_TAG_FIGURE:
    case GUMBO_TAG_H1:
    case GUMBO_TAG_H2:
    case GUMBO_TAG_H3:
    case GUMBO_TAG_H4:
    case GUMBO_TAG_H5:
    case GUMBO_TAG_H6:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_I:
    case GUMBO_TAG_IMG:
    case GUMBO_TAG_INS:
    case GUMBO_TAG_KBD:
    case GUMBO_TAG_LI:
    case GUMBO_TAG_MARK:
    case GUMBO_TAG_OL:
    case GUMBO_TAG_P:
    case GUMBO_TAG_PRE:
    case GUMBO_TAG_Q:
    case GUMBO_TAG_S:
    case GUMBO_TAG_SAMP:
    case GUMBO_TAG_SMALL:
    case GUMBO_TAG_SPAN:
    case GUMBO_TAG_STRIKE:
    case GUMBO_TAG_STRONG:
    case GUMBO_TAG_SUB:
    case GUMBO_TAG_SUP:
    case GUMBO_TAG_TABLE:
    case GUMBO_TAG_TBODY:
    case GUMBO_TAG_TD:
    case GUMBO_TAG_TFOOT:
    case GUMBO_TAG_TH:
    case GUMBO_TAG_THEAD:
    case GUMBO_TAG_TR:
    case GUMBO_TAG_TT:
    case GUMBO_TAG_U:
    case GUMBO_TAG_UL:
    case GUMBO_TAG_VAR: return Rule::Keep;
    // Code, styles, other documents, forms and media players: nothing of
    // them is shown, not even their text.
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_HEAD:
    case GUMBO_TAG_TITLE:
    case GUMBO_TAG_TEMPLATE:
    case GUMBO_TAG_IFRAME:
    case GUMBO_TAG_OBJECT:
    case GUMBO_TAG_EMBED:
    case GUMBO_TAG_APPLET:
    case GUMBO_TAG_NOSCRIPT:
    case GUMBO_TAG_NOEMBED:
    case GUMBO_TAG_NOFRAMES:
    case GUMBO_TAG_FRAMESET:
    case GUMBO_TAG_FRAME:
    case GUMBO_TAG_TEXTAREA:
    case GUMBO_TAG_SELECT:
    case GUMBO_TAG_INPUT:
    case GUMBO_TAG_BUTTON:
    case GUMBO_TAG_KEYGEN:
    case GUMBO_TAG_SVG:
    case GUMBO_TAG_MATH:
    case GUMBO_TAG_XMP:
    case GUMBO_TAG_PLAINTEXT:
    case GUMBO_TAG_LINK:
    case GUMBO_TAG_META:
    case GUMBO_TAG_BASE:
    case GUMBO_TAG_AUDIO:
    case GUMBO_TAG_VIDEO:
    case GUMBO_TAG_CANVAS:
    case GUMBO_TAG_MAP:
    case GUMBO_TAG_AREA:
    case GUMBO_TAG_PARAM:
    case GUMBO_TAG_SOURCE:
    case GUMBO_TAG_TRACK:
    case GUMBO_TAG_COLGROUP:
    case GUMBO_TAG_COL:
    case GUMBO_TAG_BGSOUND: return Rule::Drop;
    default: return Rule::Unwrap;
  }
}

bool isVoid(GumboTag tag) { return tag == GUMBO_TAG_BR || tag == GUMBO_TAG_HR || tag == GUMBO_TAG_IMG; }

bool isBlock(GumboTag tag) {
  switch (tag) {
    case GUMBO_TAG_P:
    case GUMBO_TAG_DIV:
    case GUMBO_TAG_BLOCKQUOTE:
    case GUMBO_TAG_H1:
    case GUMBO_TAG_H2:
    case GUMBO_TAG_H3:
    case GUMBO_TAG_H4:
    case GUMBO_TAG_H5:
    case GUMBO_TAG_H6:
    case GUMBO_TAG_LI:
    case GUMBO_TAG_DT:
    case GUMBO_TAG_DD:
    case GUMBO_TAG_PRE:
    case GUMBO_TAG_TR:
    case GUMBO_TAG_TABLE:
    case GUMBO_TAG_UL:
    case GUMBO_TAG_OL:
    case GUMBO_TAG_DL:
    case GUMBO_TAG_FIGURE:
    case GUMBO_TAG_FIGCAPTION:
    case GUMBO_TAG_CAPTION:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_BR: return true;
    default: return false;
  }
}

// The elements a table is made of are kept only where they belong, so a
// table whose outer element was left out does not leave rows and cells
// hanging in the text.
bool fitsUnder(GumboTag tag, GumboTag parent) {
  switch (tag) {
    case GUMBO_TAG_TBODY:
    case GUMBO_TAG_THEAD:
    case GUMBO_TAG_TFOOT:
    case GUMBO_TAG_CAPTION: return parent == GUMBO_TAG_TABLE;
    case GUMBO_TAG_TR:
      return parent == GUMBO_TAG_TABLE || parent == GUMBO_TAG_TBODY || parent == GUMBO_TAG_THEAD ||
             parent == GUMBO_TAG_TFOOT;
    case GUMBO_TAG_TD:
    case GUMBO_TAG_TH: return parent == GUMBO_TAG_TR;
    default: return true;
  }
}

bool isTablePart(GumboTag tag) {
  return tag == GUMBO_TAG_TBODY || tag == GUMBO_TAG_THEAD || tag == GUMBO_TAG_TFOOT || tag == GUMBO_TAG_CAPTION ||
         tag == GUMBO_TAG_TR || tag == GUMBO_TAG_TD || tag == GUMBO_TAG_TH;
}

void appendEscaped(QString& out, QStringView text, bool attribute) {
  for (const QChar c : text) {
    switch (c.unicode()) {
      case '&': out += QLatin1String("&amp;"); break;
      case '<': out += QLatin1String("&lt;"); break;
      case '>': out += QLatin1String("&gt;"); break;
      case '"':
        if (attribute) {
          out += QLatin1String("&quot;");
        } else {
          out += c;
        }
        break;
      case '\'':
        if (attribute) {
          out += QLatin1String("&#39;");
        } else {
          out += c;
        }
        break;
      default: out += c;
    }
  }
}

bool isSmallNumber(const QString& value, int max) {
  if (value.isEmpty() || value.size() > 5) return false;
  bool ok = false;
  const int number = value.toInt(&ok);
  return ok && number >= 0 && number <= max;
}

// Elements a parser closes by themselves or never opens: they do not add to
// the nesting of the text as written.
bool opensNothing(QStringView name) {
  static const QStringList names = {
      QStringLiteral("br"),     QStringLiteral("img"),    QStringLiteral("hr"),    QStringLiteral("meta"),
      QStringLiteral("link"),   QStringLiteral("input"),  QStringLiteral("wbr"),   QStringLiteral("area"),
      QStringLiteral("base"),   QStringLiteral("col"),    QStringLiteral("embed"), QStringLiteral("param"),
      QStringLiteral("source"), QStringLiteral("track"),  QStringLiteral("p"),     QStringLiteral("li"),
      QStringLiteral("dt"),     QStringLiteral("dd"),     QStringLiteral("tr"),    QStringLiteral("td"),
      QStringLiteral("th"),     QStringLiteral("option"), QStringLiteral("tbody"), QStringLiteral("thead"),
      QStringLiteral("tfoot"),  QStringLiteral("keygen"), QStringLiteral("frame"), QStringLiteral("basefont"),
      QStringLiteral("bgsound")};
  for (const QString& n : names) {
    if (name.compare(n, Qt::CaseInsensitive) == 0) return true;
  }
  return false;
}

bool isNameChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char(':'); }

// The input with every tag that would nest deeper than maxNesting left out
// (their text stays), read the way a parser would, so the parser is never
// handed a pathological depth. Stray end tags close nothing, and a "/>"
// closes nothing either (it does not in HTML), so neither hides depth.
// Returns false when nothing had to be left out.
bool flattenDeepNesting(QString& html, int maxNesting) {
  std::vector<size_t> open;
  std::vector<size_t> dropped;  // start tags left out, so their end tags go too
  QString kept;
  qsizetype copied = 0;  // html up to here is in kept (once something was left out)
  bool changed = false;
  const auto leaveOut = [&](qsizetype from, qsizetype to) {
    if (!changed) kept.reserve(html.size());
    changed = true;
    kept += QStringView(html).mid(copied, from - copied);
    copied = to;
  };
  const qsizetype size = html.size();
  qsizetype i = 0;
  while ((i = html.indexOf(QLatin1Char('<'), i)) >= 0 && i + 1 < size) {
    if (html.at(i + 1) == QLatin1Char('!')) {
      const bool comment = QStringView(html).mid(i, 4) == QLatin1String("<!--");
      const qsizetype end = comment ? html.indexOf(QLatin1String("-->"), i + 4) : html.indexOf(QLatin1Char('>'), i);
      if (end < 0) break;
      i = end + 1;
      continue;
    }
    const bool closing = html.at(i + 1) == QLatin1Char('/');
    const qsizetype nameStart = i + 1 + (closing ? 1 : 0);
    qsizetype nameEnd = nameStart;
    while (nameEnd < size && isNameChar(html.at(nameEnd))) ++nameEnd;
    if (nameEnd == nameStart || !html.at(nameStart).isLetter()) {
      ++i;
      continue;
    }
    const qsizetype end = html.indexOf(QLatin1Char('>'), nameEnd);
    if (end < 0) break;
    const QStringView name = QStringView(html).mid(nameStart, nameEnd - nameStart);
    const size_t key = qHash(name.toString().toLower());
    if (closing) {
      if (!dropped.empty() && dropped.back() == key) {
        dropped.pop_back();
        leaveOut(i, end + 1);
      } else {
        for (size_t depth = open.size(); depth > 0; --depth) {
          if (open[depth - 1] == key) {
            open.resize(depth - 1);
            break;
          }
        }
      }
    } else if (!opensNothing(name)) {
      if (static_cast<int>(open.size()) < maxNesting) {
        open.push_back(key);
      } else {
        dropped.push_back(key);
        leaveOut(i, end + 1);
      }
    }
    i = end + 1;
  }
  if (!changed) return false;
  kept += QStringView(html).mid(copied);
  html = kept;
  return true;
}

class Writer {
 public:
  Writer(const SanitizerLimits& limits, const QUrl& base, SanitizedHtml& out)
      : limits_(limits), base_(base), out_(out) {}

  void run(const GumboNode* body);

 private:
  struct Frame {
    const GumboNode* node;
    unsigned next = 0;
    bool emitted = false;
  };

  bool open(const GumboNode* node);
  void close(const GumboNode* node);
  void text(const GumboNode* node);
  void textBreak();
  void writeAttributes(const GumboElement& element, GumboTag tag);
  QString href(const QString& value) const;
  QString pictureSource(const QString& value) const;

  const SanitizerLimits& limits_;
  const QUrl& base_;
  SanitizedHtml& out_;
  std::vector<GumboTag> emitted_;
  int tables_ = 0;
  int elements_ = 0;
  int pre_ = 0;
  qsizetype textChars_ = 0;
  bool stopped_ = false;
};

void Writer::run(const GumboNode* body) {
  std::vector<Frame> stack;
  stack.push_back({body, 0, false});
  while (!stack.empty() && !stopped_) {
    Frame& frame = stack.back();
    const GumboVector& children = frame.node->v.element.children;
    if (frame.next >= children.length) {
      if (frame.emitted) close(frame.node);
      stack.pop_back();
      continue;
    }
    const auto* child = static_cast<const GumboNode*>(children.data[frame.next++]);
    switch (child->type) {
      case GUMBO_NODE_TEXT:
      case GUMBO_NODE_CDATA:
      case GUMBO_NODE_WHITESPACE: text(child); break;
      case GUMBO_NODE_ELEMENT: {
        const GumboElement& element = child->v.element;
        if (element.tag_namespace != GUMBO_NAMESPACE_HTML || ruleOf(element.tag) == Rule::Drop) break;
        const bool emitted = ruleOf(element.tag) == Rule::Keep && open(child);
        if (emitted && isVoid(element.tag)) {
          close(child);
          break;
        }
        stack.push_back({child, 0, emitted});
        break;
      }
      default: break;  // comments, templates
    }
  }
  // Whatever was open when a bound stopped the walk is closed in order.
  while (!stack.empty()) {
    if (stack.back().emitted) close(stack.back().node);
    stack.pop_back();
  }
}

bool Writer::open(const GumboNode* node) {
  const GumboElement& element = node->v.element;
  const GumboTag tag = element.tag;
  const int depth = static_cast<int>(emitted_.size());
  const GumboTag parent = emitted_.empty() ? GUMBO_TAG_BODY : emitted_.back();
  if (!fitsUnder(tag, parent)) return false;
  if (tag == GUMBO_TAG_TABLE) {
    // A table needs room for its rows and cells below it.
    if (depth + 4 > limits_.maxDepth || tables_ >= limits_.maxTableNesting) return false;
  } else if (!isTablePart(tag) && depth >= limits_.maxDepth) {
    return false;
  }
  if (elements_ >= limits_.maxElements) {
    out_.cut = true;
    stopped_ = true;
    return false;
  }
  QString source;
  if (tag == GUMBO_TAG_IMG) {
    const GumboAttribute* src = gumbo_get_attribute(&element.attributes, "src");
    source = src ? pictureSource(QString::fromUtf8(src->value)) : QString();
    if (source.isEmpty()) {
      // A picture that may not be shown leaves its description in its place.
      if (const GumboAttribute* alt = gumbo_get_attribute(&element.attributes, "alt")) {
        GumboNode fake{};
        fake.type = GUMBO_NODE_TEXT;
        fake.v.text.text = alt->value;
        text(&fake);
      }
      return false;
    }
  }
  ++elements_;
  if (isBlock(tag)) textBreak();
  out_.html += QLatin1Char('<');
  out_.html += QLatin1String(gumbo_normalized_tagname(tag));
  if (tag == GUMBO_TAG_IMG) {
    out_.html += QLatin1String(" src=\"");
    appendEscaped(out_.html, source, true);
    out_.html += QLatin1Char('"');
  }
  writeAttributes(element, tag);
  out_.html += QLatin1Char('>');
  if (tag == GUMBO_TAG_TABLE) ++tables_;
  if (tag == GUMBO_TAG_PRE) ++pre_;
  if (tag == GUMBO_TAG_TD || tag == GUMBO_TAG_TH) {
    if (!out_.text.isEmpty() && !out_.text.endsWith(QLatin1Char('\n'))) out_.text += QLatin1Char(' ');
  }
  if (!isVoid(tag)) emitted_.push_back(tag);
  return true;
}

void Writer::close(const GumboNode* node) {
  const GumboTag tag = node->v.element.tag;
  if (!isVoid(tag)) {
    out_.html += QLatin1String("</");
    out_.html += QLatin1String(gumbo_normalized_tagname(tag));
    out_.html += QLatin1Char('>');
    emitted_.pop_back();
  }
  if (tag == GUMBO_TAG_TABLE) --tables_;
  if (tag == GUMBO_TAG_PRE) --pre_;
  if (isBlock(tag)) textBreak();
}

void Writer::textBreak() {
  while (out_.text.endsWith(QLatin1Char(' '))) out_.text.chop(1);
  if (!out_.text.isEmpty() && !out_.text.endsWith(QLatin1Char('\n'))) out_.text += QLatin1Char('\n');
}

void Writer::text(const GumboNode* node) {
  QString value = QString::fromUtf8(node->v.text.text);
  if (textChars_ + value.size() > limits_.maxTextChars) {
    value.truncate(limits_.maxTextChars - textChars_);
    out_.cut = true;
    stopped_ = true;
  }
  textChars_ += value.size();
  appendEscaped(out_.html, value, false);
  if (pre_ > 0) {
    out_.text += value;
    return;
  }
  // The text form reads as a browser shows the page: runs of white space as one.
  for (const QChar c : std::as_const(value)) {
    if (c.isSpace()) {
      if (!out_.text.isEmpty() && !out_.text.endsWith(QLatin1Char(' ')) && !out_.text.endsWith(QLatin1Char('\n'))) {
        out_.text += QLatin1Char(' ');
      }
    } else {
      out_.text += c;
    }
  }
}

void Writer::writeAttributes(const GumboElement& element, GumboTag tag) {
  const auto put = [this](const char* name, const QString& value) {
    out_.html += QLatin1Char(' ');
    out_.html += QLatin1String(name);
    out_.html += QLatin1String("=\"");
    appendEscaped(out_.html, value, true);
    out_.html += QLatin1Char('"');
  };
  for (unsigned i = 0; i < element.attributes.length; ++i) {
    const auto* attribute = static_cast<const GumboAttribute*>(element.attributes.data[i]);
    const char* name = attribute->name;  // lower case from the parser
    const QString value = QString::fromUtf8(attribute->value);
    if (std::strcmp(name, "title") == 0 || std::strcmp(name, "lang") == 0 ||
        (tag == GUMBO_TAG_IMG && std::strcmp(name, "alt") == 0)) {
      put(name, value.left(512));
    } else if (tag == GUMBO_TAG_A && std::strcmp(name, "href") == 0) {
      const QString target = href(value);
      if (!target.isEmpty()) put(name, target);
    } else if (tag == GUMBO_TAG_A && std::strcmp(name, "name") == 0) {
      put(name, value.left(128));
    } else if (tag == GUMBO_TAG_IMG && (std::strcmp(name, "width") == 0 || std::strcmp(name, "height") == 0)) {
      if (isSmallNumber(value, 4096)) put(name, value);
    } else if ((tag == GUMBO_TAG_TD || tag == GUMBO_TAG_TH) &&
               (std::strcmp(name, "colspan") == 0 || std::strcmp(name, "rowspan") == 0)) {
      if (isSmallNumber(value, 100)) put(name, value);
    } else if (tag == GUMBO_TAG_OL && std::strcmp(name, "start") == 0) {
      if (isSmallNumber(value, 99999)) put(name, value);
    }
  }
}

QString Writer::href(const QString& value) const {
  QString address = value.trimmed();
  if (address.startsWith(QLatin1Char('#'))) return address;
  QUrl url(address);
  if (!url.isValid()) return {};
  if (url.isRelative()) {
    if (base_.isEmpty()) return {};
    url = base_.resolved(url);
  }
  const std::optional<QUrl> safe = LinkPolicy::forOpening(url);
  return safe ? safe->toString(QUrl::FullyEncoded) : QString();
}

QString Writer::pictureSource(const QString& value) const {
  QString address = value.trimmed();
  if (address.startsWith(QLatin1String("data:"), Qt::CaseInsensitive)) {
    if (address.size() > limits_.maxDataUriChars) return {};
    const qsizetype comma = address.indexOf(QLatin1Char(','));
    const QString header = address.left(comma).toLower();
    static const QStringList types = {QStringLiteral("data:image/png"), QStringLiteral("data:image/jpeg"),
                                      QStringLiteral("data:image/gif"), QStringLiteral("data:image/webp"),
                                      QStringLiteral("data:image/bmp")};
    for (const QString& type : types) {
      if (comma > 0 && (header == type || header.startsWith(type + QLatin1Char(';')))) return address;
    }
    return {};
  }
  QUrl url(address);
  if (!url.isValid()) return {};
  if (url.isRelative()) {
    if (base_.isEmpty()) return {};
    url = base_.resolved(url);
  }
  return LinkPolicy::isRemotePicture(url) ? url.toString(QUrl::FullyEncoded) : QString();
}

const GumboNode* bodyOf(const GumboNode* root) {
  if (!root || root->type != GUMBO_NODE_ELEMENT) return nullptr;
  const GumboVector& children = root->v.element.children;
  for (unsigned i = 0; i < children.length; ++i) {
    const auto* child = static_cast<const GumboNode*>(children.data[i]);
    if (child->type == GUMBO_NODE_ELEMENT && child->v.element.tag == GUMBO_TAG_BODY) return child;
  }
  return nullptr;
}

}  // namespace

SanitizedHtml HtmlSanitizer::sanitize(const QString& html, const QUrl& base) const {
  SanitizedHtml result;
  QString input = html;
  if (input.size() > limits_.maxInputChars) {
    input.truncate(limits_.maxInputChars);
    result.cut = true;
  }
  flattenDeepNesting(input, limits_.maxSourceNesting);
  const QByteArray utf8 = input.toUtf8();

  Arena arena;
  GumboOptions options = kGumboDefaultOptions;
  options.allocator = &Arena::allocate;
  options.deallocator = &Arena::release;
  options.userdata = &arena;
  options.max_errors = 0;
  // The arena frees the tree; gumbo_destroy_output is never called.
  GumboOutput* output = gumbo_parse_with_options(&options, utf8.constData(), static_cast<size_t>(utf8.size()));
  if (const GumboNode* body = bodyOf(output ? output->root : nullptr)) {
    Writer(limits_, base, result).run(body);
  }
  while (result.text.endsWith(QLatin1Char('\n')) || result.text.endsWith(QLatin1Char(' '))) result.text.chop(1);
  // White space before the first tag or text is dropped by every HTML parser
  // (the document has not begun): leaving it out keeps the output stable when
  // it is parsed again.
  qsizetype lead = 0;
  while (lead < result.html.size() && QStringView(u" \t\n\f\r").contains(result.html.at(lead))) ++lead;
  result.html.remove(0, lead);
  return result;
}

}  // namespace tidewell
