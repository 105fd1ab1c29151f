#include "feeddb/OpmlDocument.h"

#include "feeddb/FeedsDocument.h"

#include <QDateTime>
#include <QLocale>
#include <QSaveFile>

#include <pugixml.hpp>

#include <cstring>
#include <sstream>

namespace tidewell {

namespace {

QString attribute(pugi::xml_node node, const char* name) {
  return QString::fromUtf8(node.attribute(name).value()).trimmed();
}

// An outline's label: text, else title (OPML 1.0 lists often only set one).
QString label(pugi::xml_node outline) {
  const QString text = attribute(outline, "text");
  return text.isEmpty() ? attribute(outline, "title") : text;
}

bool isOutline(pugi::xml_node node) {
  return node.type() == pugi::node_element && std::strcmp(node.name(), "outline") == 0;
}

// Every feed under a folder, at any depth, in document order. Walked without
// recursion: a list nested a hundred thousand outlines deep must not exhaust
// the stack.
void collectFeeds(pugi::xml_node folder, std::vector<OpmlFeed>& feeds) {
  pugi::xml_node current = folder.first_child();
  while (current) {
    if (isOutline(current)) {
      const QString url = attribute(current, "xmlUrl");
      if (!url.isEmpty()) feeds.push_back({label(current), url});
      if (current.first_child()) {
        current = current.first_child();
        continue;
      }
    }
    while (current != folder && !current.next_sibling()) current = current.parent();
    if (current == folder) break;
    current = current.next_sibling();
  }
}

OpmlCategory& categoryNamed(std::vector<OpmlCategory>& categories, const QString& name) {
  for (OpmlCategory& category : categories) {
    if (category.name.compare(name, Qt::CaseInsensitive) == 0) return category;
  }
  categories.push_back({name, {}});
  return categories.back();
}

ErrorInfo failure(const QString& description) { return {1, QStringLiteral("OPML"), description}; }

}  // namespace

Result<OpmlOutline> OpmlDocument::Parse(const QByteArray& bytes) {
  pugi::xml_document document;
  const pugi::xml_parse_result parsed = document.load_buffer(bytes.constData(), static_cast<size_t>(bytes.size()));
  if (!parsed) {
    return Result<OpmlOutline>::failure(failure(QStringLiteral("The file is not well-formed XML (%1 at byte %2).")
                                                    .arg(QString::fromUtf8(parsed.description()))
                                                    .arg(parsed.offset)));
  }
  const pugi::xml_node opml = document.document_element();
  if (std::strcmp(opml.name(), "opml") != 0) {
    return Result<OpmlOutline>::failure(
        failure(QStringLiteral("The file is not an OPML document: its root element is <%1>, not <opml>.")
                    .arg(QString::fromUtf8(opml.name()))));
  }
  const pugi::xml_node body = opml.child("body");
  if (!body) return Result<OpmlOutline>::failure(failure(QStringLiteral("The OPML document has no <body>.")));

  OpmlOutline outline;
  outline.title = QString::fromUtf8(opml.child("head").child("title").text().get()).trimmed();
  const QString looseName = outline.title.isEmpty() ? kLooseFeedsCategory : outline.title;
  for (pugi::xml_node child = body.first_child(); child; child = child.next_sibling()) {
    if (!isOutline(child)) continue;
    const QString url = attribute(child, "xmlUrl");
    if (!url.isEmpty()) {
      categoryNamed(outline.categories, looseName).feeds.push_back({label(child), url});
      continue;
    }
    const QString name = label(child);
    std::vector<OpmlFeed> feeds;
    collectFeeds(child, feeds);
    OpmlCategory& category = categoryNamed(outline.categories, name.isEmpty() ? looseName : name);
    category.feeds.insert(category.feeds.end(), feeds.begin(), feeds.end());
  }
  return outline;
}

QByteArray OpmlDocument::Write(const OpmlOutline& outline) {
  pugi::xml_document document;
  pugi::xml_node declaration = document.append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  declaration.append_attribute("encoding") = "UTF-8";
  pugi::xml_node opml = document.append_child("opml");
  opml.append_attribute("version") = "2.0";
  pugi::xml_node head = opml.append_child("head");
  head.append_child("title").text().set(outline.title.toUtf8().constData());
  const QString created =
      QLocale::c().toString(QDateTime::currentDateTimeUtc(), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss")) +
      QStringLiteral(" GMT");
  head.append_child("dateCreated").text().set(created.toUtf8().constData());
  pugi::xml_node body = opml.append_child("body");
  for (const OpmlCategory& category : outline.categories) {
    pugi::xml_node folder = body.append_child("outline");
    folder.append_attribute("text") = category.name.toUtf8().constData();
    folder.append_attribute("title") = category.name.toUtf8().constData();
    for (const OpmlFeed& feed : category.feeds) {
      pugi::xml_node node = folder.append_child("outline");
      node.append_attribute("type") = "rss";
      node.append_attribute("text") = feed.title.toUtf8().constData();
      node.append_attribute("title") = feed.title.toUtf8().constData();
      node.append_attribute("xmlUrl") = feed.url.toUtf8().constData();
    }
  }
  std::ostringstream out;
  document.save(out, "  ", pugi::format_default, pugi::encoding_utf8);
  const std::string text = out.str();
  return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

Result<OpmlOutline> OpmlDocument::FromFeedsDb(const QString& feedsDbPath, UserMessages& messages) {
  FeedsDocument database(feedsDbPath, messages, QStringLiteral("ExportOpml"));
  if (!database.load()) {
    return Result<OpmlOutline>::failure(failure(QStringLiteral("The feed database could not be read.")));
  }
  OpmlOutline outline;
  for (pugi::xml_node category = database.categories().first_child(); category; category = category.next_sibling()) {
    if (!FeedsDocument::isCategory(category)) continue;
    OpmlCategory out{FeedsDocument::categoryName(category), {}};
    for (pugi::xml_node feed = category.first_child(); feed; feed = feed.next_sibling()) {
      if (!FeedsDocument::isFeed(feed)) continue;
      out.feeds.push_back({FeedsDocument::feedName(feed), FeedsDocument::feedUrl(feed)});
    }
    outline.categories.push_back(std::move(out));
  }
  return outline;
}

Result<OpmlExportSummary> OpmlDocument::ExportFeedsDb(const QString& feedsDbPath, const QString& title,
                                                      const QString& file, UserMessages& messages) {
  Result<OpmlOutline> outline = FromFeedsDb(feedsDbPath, messages);
  if (!outline) return Result<OpmlExportSummary>::failure(outline.error());
  OpmlOutline list = std::move(outline).value();
  list.title = title;
  // Unbuffered and the count checked, so a full disk fails the export
  // instead of commit() renaming a truncated file over the old one.
  QSaveFile out(file);
  const QByteArray bytes = Write(list);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || out.write(bytes) != bytes.size() || !out.commit()) {
    return Result<OpmlExportSummary>::failure(ErrorInfo{2, kExportSource, QStringLiteral("Cannot write ") + file});
  }
  OpmlExportSummary summary;
  summary.categories = static_cast<int>(list.categories.size());
  for (const OpmlCategory& category : list.categories) summary.feeds += static_cast<int>(category.feeds.size());
  return summary;
}

}  // namespace tidewell
