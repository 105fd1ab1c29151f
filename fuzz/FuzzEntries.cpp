#include "FuzzEntries.h"

#include "core/AppIdentity.h"
#include "core/AppPaths.h"
#include "core/UserMessages.h"
#include "core/mINI.h"
#include "feeddb/CategoryTree.h"
#include "feeddb/OpmlDocument.h"
#include "feeddb/mCategories.h"
#include "feeds/FeedDecoder.h"
#include "feeds/FeedParser.h"
#include "feeds/FeedValidation.h"
#include "feeds/HtmlSanitizer.h"
#include "feeds/ItemStore.h"
#include "l10n/clsLanguages.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace tidewell::fuzz {

namespace {

// Messages are the readers' normal answer to a bad file; counting them keeps
// the work the caller would do with the text without printing thousands.
class QuietMessages : public UserMessages {
 public:
  void showMessage(const QString& text, const QString& title, MessageIcon) override {
    count_ += text.size() + title.size();
  }
  bool askYesNo(const QString&, const QString&) override { return false; }
  bool askRetryCancel(const QString&, const QString&, MessageIcon) override { return false; }
  QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }

 private:
  qsizetype count_ = 0;
};

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
  std::abort();
}

void check(bool condition, const char* what) {
  if (!condition) fail(what);
}

QByteArray bytesOf(const uint8_t* data, size_t size) {
  return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// The readers take their files from disk, so every input is written to one
// scratch folder that lives as long as the process.
const QString& scratchFolder() {
  static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/tidewell-fuzz-XXXXXX"));
  if (!folder.isValid()) fail("no scratch folder");
  static const QString path = folder.path();
  return path;
}

QString writeScratch(const QString& name, const QByteArray& bytes) {
  const QString path = scratchFolder() + QLatin1Char('/') + name;
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
    fail("cannot write the scratch file");
  }
  return path;
}

// The charset an HTTP answer might have claimed; chosen by length so the
// seeds stay plain documents.
QString httpCharset(size_t size) {
  static const char* const kCharsets[] = {"", "", "utf-8", "iso-8859-1", "windows-1252", "utf-16", "x-unknown"};
  return QString::fromLatin1(kCharsets[size % (sizeof kCharsets / sizeof kCharsets[0])]);
}

}  // namespace

void FeedParsing(const uint8_t* data, size_t size) {
  const QByteArray bytes = bytesOf(data, size);
  const QString charset = httpCharset(size);

  const QByteArray utf8 = FeedDecoder::toUtf8(bytes, charset);
  check(FeedDecoder::isValidUtf8(utf8.constData(), utf8.size()), "FeedDecoder::toUtf8 gave invalid UTF-8");
  // (A doubled byte-order mark keeps its second copy: that one is text to the
  // decoder, and the XML parser skips it as a mark of its own.)
  (void)FeedDecoder::detectEncoding(bytes, charset);
  (void)FeedDecoder::declaredEncoding(bytes);

  const FeedDetection detection = DetectFeedType(bytes, charset);
  if (detection.ok()) check(detection.type >= 0 && detection.type <= 2, "DetectFeedType gave an unknown type");
  const ParseResult byType = ParseFeedItems(detection.type, bytes, charset);
  if (!detection.ok()) check(byType.items.empty(), "items from an undetected feed");
  const ParseResult rss = ParseRssItems(bytes, charset);
  const ParseResult atom = ParseAtomItems(bytes, charset);
  if (!rss.ok()) check(rss.items.empty(), "RSS items after a failure");
  if (!atom.ok()) check(atom.items.empty(), "ATOM items after a failure");
}

void ItemStoreLoad(const uint8_t* data, size_t size) {
  const QString path = writeScratch(QStringLiteral("store.fdb"), bytesOf(data, size));
  const ItemStore store(path);
  QuietMessages messages;
  const std::optional<StoredItems> loaded = store.LoadStoredItems(messages);
  (void)store.ReadLatestId();
  (void)store.ReadCacheValidators();
  if (!loaded || loaded->items.empty()) return;

  // The viewer's operations on the first and the last item: reading details
  // and marking read rewrite the file, which must load again afterwards.
  const StoredItem first = loaded->items.front();
  const StoredItem last = loaded->items.back();
  FeedItem info;
  QString latest;
  check(store.ItemOperation(first.ref(), QStringLiteral("getinfo"), true, messages, &info, &latest),
        "a listed item was not found by getinfo");
  check(store.ItemOperation(last.ref(), QStringLiteral("check"), false, messages), "a listed item was not found");
  (void)store.ItemOperation(last.ref(), QStringLiteral("unread"), false, messages);
  const std::optional<StoredItems> again = store.LoadStoredItems(messages);
  check(again && again->items.size() == loaded->items.size(), "marking an item changed the item count");

  FeedItems parsed(1);
  parsed[0].title = QStringLiteral("fuzz");
  parsed[0].link = QStringLiteral("https://127.0.0.1/fuzz");
  (void)store.MergeNewItems(parsed, QString());
  (void)store.ItemOperation(first.ref(), QStringLiteral("del"), false, messages);
}

void FeedsDbLoad(const uint8_t* data, size_t size) {
  const QString path = writeScratch(QStringLiteral("feeds.fdb"), bytesOf(data, size));
  QuietMessages messages;
  mCategories categories(path, messages);
  CategoryTree tree;
  const bool treeLoaded = categories.LoadCategories(tree);
  QStringList names;
  const bool namesLoaded = categories.LoadCategories(names);
  check(treeLoaded == namesLoaded, "the tree and the combo list disagree on loading");
  if (treeLoaded) {
    check(static_cast<qsizetype>(tree.root().children.size()) == names.size(),
          "the tree and the combo list disagree on the categories");
  }
  (void)OpmlDocument::FromFeedsDb(path, messages);
  if (treeLoaded && categories.AddCategory(QStringLiteral("Fuzz"))) {
    check(categories.CategoryExists(QStringLiteral("Fuzz")), "an added category is not found");
  }
}

void IniReader(const uint8_t* data, size_t size) {
  const QString path = writeScratch(QStringLiteral("AppCfg.cfg"), bytesOf(data, size));
  mINI ini;
  ini.SetINIFile(path, 1024);
  (void)ini.ReadINI(QStringLiteral("Settings"), QStringLiteral("Language"), QStringLiteral("English"));
  (void)ini.GetSectionKeys(QStringLiteral("Settings"));
  (void)ini.ReadSection(QStringLiteral("Schedule"));

  const QString value = QStringLiteral("fuzz value");
  if (!ini.WriteINI(QStringLiteral("Fuzz"), QStringLiteral("Key"), value).ok()) return;
  const Result<QString> back = ini.ReadINI(QStringLiteral("Fuzz"), QStringLiteral("Key"), QString());
  check(back.ok() && back.value() == value, "a written key does not read back");
  if (ini.WriteSection(QStringLiteral("Fuzz"), {{QStringLiteral("A"), QStringLiteral("1")}}).ok()) {
    const Result<QList<IniEntry>> section = ini.ReadSection(QStringLiteral("Fuzz"));
    check(section.ok() && section.value().size() == 1, "a written section does not read back");
  }
  (void)ini.DeleteSection(QStringLiteral("Fuzz"));
}

void LocalizationReader(const uint8_t* data, size_t size) {
  writeScratch(QStringLiteral("Localization.txt"), bytesOf(data, size));
  clsLanguages languages(AppIdentity{}, AppPaths(scratchFolder(), scratchFolder()));
  const QStringList names = languages.ListLanguages();
  languages.loadLanguage(clsLanguages::kDefaultLanguage);
  if (!names.isEmpty()) languages.loadLanguage(names.back());
  (void)languages.getCaption(clsLanguages::controlKey(QStringLiteral("frmMain"), QStringLiteral("lstItems")));
  (void)languages.getMessages(QStringLiteral("CAPTION_FRMMAIN"));
}

void OpmlImport(const uint8_t* data, size_t size) {
  const Result<OpmlOutline> outline = OpmlDocument::Parse(bytesOf(data, size));
  if (!outline.ok()) return;
  // What was imported must survive being exported and imported again.
  const Result<OpmlOutline> again = OpmlDocument::Parse(OpmlDocument::Write(outline.value()));
  check(again.ok(), "an exported list does not import");
}

void HtmlSanitizing(const uint8_t* data, size_t size) {
  // Item descriptions reach the sanitiser as decoded text.
  const QString html = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const HtmlSanitizer sanitizer;
  const SanitizerLimits& limits = sanitizer.limits();
  const SanitizedHtml out = sanitizer.sanitize(html, QUrl(QStringLiteral("https://127.0.0.1/item")));
  check(!out.html.contains(QLatin1String("<script"), Qt::CaseInsensitive), "a script element survived");
  check(!out.html.contains(QLatin1String("<style"), Qt::CaseInsensitive), "a style element survived");
  // Values are escaped (no '"' or '>' inside one): splitting a tag's
  // attributes at the quotes leaves names and values in turn.
  static const QRegularExpression tag(QStringLiteral("<[a-z0-9]+((?: [a-z-]+=\"[^\"]*\")*)>"));
  for (auto it = tag.globalMatch(out.html); it.hasNext();) {
    const QStringList parts = it.next().captured(1).split(QLatin1Char('"'));
    for (qsizetype i = 0; i < parts.size(); i += 2) {
      check(!parts[i].trimmed().startsWith(QLatin1String("on")), "an event handler survived");
      check(!parts[i].trimmed().startsWith(QLatin1String("style")), "a style attribute survived");
    }
  }
  check(out.text.size() <= limits.maxTextChars, "the text is past its bound");
  // Well formed and within the nesting bound: every tag the writer opened
  // is closed, in order.
  int depth = 0;
  int elements = 0;
  for (qsizetype i = out.html.indexOf(QLatin1Char('<')); i >= 0; i = out.html.indexOf(QLatin1Char('<'), i + 1)) {
    const bool closing = out.html.at(i + 1) == QLatin1Char('/');
    const QStringView rest = QStringView(out.html).mid(i + (closing ? 2 : 1));
    // A void element by its name, with or without attributes (<br title="">).
    static const QRegularExpression nameEnds(QStringLiteral("[ >]"));
    const qsizetype nameEnd = rest.indexOf(nameEnds);
    const QStringView name = rest.left(nameEnd < 0 ? rest.size() : nameEnd);
    const bool isVoid =
        !closing && (name == QLatin1String("br") || name == QLatin1String("hr") || name == QLatin1String("img"));
    if (!closing) ++elements;
    if (isVoid) continue;
    depth += closing ? -1 : 1;
    check(depth >= 0, "a tag was closed that was never opened");
    check(depth <= limits.maxDepth, "the nesting is past its bound");
  }
  check(depth == 0, "a tag was left open");
  check(elements <= limits.maxElements, "more elements than the bound");
  // A second pass over the output is not required to give it back unchanged:
  // misnested table markup that the writer keeps (text directly inside a
  // table) is moved by the HTML parser's foster parenting when it is read
  // again. What matters, and is checked above, is that every output is safe
  // and bounded.
}

const std::vector<Target>& Targets() {
  static const std::vector<Target> targets = {
      {"feed_parsing", FeedParsing},
      {"item_store", ItemStoreLoad},
      {"feeds_db", FeedsDbLoad},
      {"ini_reader", IniReader},
      {"localization_reader", LocalizationReader},
      {"opml_import", OpmlImport},
      {"html_sanitizer", HtmlSanitizing},
  };
  return targets;
}

}  // namespace tidewell::fuzz
