#include "l10n/clsLanguages.h"

#include "core/Utilities.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>

namespace tidewell {

namespace {

const QString kGroupOpen = QStringLiteral("<LANGUAGE_GROUP");
const QString kGroupClose = QStringLiteral("</LANGUAGE_GROUP>");
const QString kNameOpen = QStringLiteral("<LANGUAGE_NAME>");
const QString kNameClose = QStringLiteral("</LANGUAGE_NAME>");
const QString kItemsOpen = QStringLiteral("<TRANSLATION_ITEMS>");
const QString kItemsClose = QStringLiteral("</TRANSLATION_ITEMS>");

QString upperFirst(QString text) {
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  return text;
}

// The text between open and close inside [from, to), or a null string when
// open is not there. A missing close takes the rest of the range. Both tags
// are looked for inside the range only: searching on to the end of the file
// for every group made a file of many unclosed groups take minutes.
QString between(const QString& text, const QString& open, const QString& close, qsizetype from, qsizetype to) {
  const QStringView range = QStringView(text).first(to);
  const qsizetype start = range.indexOf(open, from, Qt::CaseInsensitive);
  if (start < 0) return {};
  const qsizetype begin = start + open.size();
  qsizetype end = range.indexOf(close, begin, Qt::CaseInsensitive);
  if (end < 0) end = to;
  return text.mid(begin, end - begin);
}

struct Group {
  QString name;
  qsizetype begin;
  qsizetype end;
};

// The LANGUAGE_GROUP blocks in file order. A group without its closing tag
// runs to the next group or the end of the file, so one forgotten tag costs
// nothing but itself.
QList<Group> languageGroups(const QString& text) {
  QList<Group> groups;
  qsizetype pos = 0;
  while (true) {
    const qsizetype start = text.indexOf(kGroupOpen, pos, Qt::CaseInsensitive);
    if (start < 0) break;
    const qsizetype next = text.indexOf(kGroupOpen, start + kGroupOpen.size(), Qt::CaseInsensitive);
    const qsizetype limit = next >= 0 ? next : text.size();
    qsizetype end = QStringView(text).first(limit).indexOf(kGroupClose, start, Qt::CaseInsensitive);
    if (end < 0) end = limit;
    groups.append({between(text, kNameOpen, kNameClose, start, end).trimmed(), start, end});
    pos = end;
  }
  return groups;
}

QString readLocalization(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8(bytes);
  if (utf8.hasError()) {
    // A UTF-8 file with a damaged byte keeps its other translations intact;
    // only a file without a single UTF-8 sequence is taken as an ANSI one.
    const bool hasUtf8Sequence = std::any_of(
        text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > 0x7f && c != QChar::ReplacementCharacter; });
    if (!hasUtf8Sequence) text = util::DecodeLegacyText(bytes);
  }
  if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
  return text;
}

}  // namespace

clsLanguages::clsLanguages(AppIdentity identity, AppPaths paths)
    : identity_(std::move(identity)), paths_(std::move(paths)) {
  for (const auto& [key, text] : defaultMessages()) setMessage(key, text);
}

const QList<QPair<QString, QString>>& clsLanguages::defaultMessages() {
  static const QList<QPair<QString, QString>> messages = {
      {QStringLiteral("MSG_DELETE1"), QStringLiteral("You are attempting to delete the ")},
      {QStringLiteral("MSG_DELETE2"),
       QStringLiteral(" category. All feeds subscribed under this category will be deleted.")},
      {QStringLiteral("MSG_DELETE3"), QStringLiteral("Continue?")},
      {QStringLiteral("MSG_DELETE4"), QStringLiteral("Delete ")},
      {QStringLiteral("MSG_DELETE5"), QStringLiteral("Are you sure you want to delete the selected item?")},
      {QStringLiteral("MSG_BUSY"),
       QStringLiteral("Application is currently busy in executing Feed Check process. Interface cannot be closed; "
                      "please try again later.")},
      {QStringLiteral("CAPTION_FRMADDFEED"), QStringLiteral("Add New Feed")},
      {QStringLiteral("CAPTION_FRMAPPSETTINGS"), QStringLiteral("Application Settings")},
      {QStringLiteral("CAPTION_FRMCATEGORY"), QStringLiteral("Add/Edit Category")},
      {QStringLiteral("CAPTION_FRMCONFIRMCLOSE"), QStringLiteral("Confirm Close")},
      {QStringLiteral("CAPTION_FRMEMAILSETTINGS"), QStringLiteral("Email Settings")},
      {QStringLiteral("MSG_TITLELANGUAGE"), QStringLiteral("Change Language")},
      {QStringLiteral("CAPTION_FRMSCHEDULER"), QStringLiteral("Scheduler")},
      {QStringLiteral("CAPTION_FRMSENDEMAIL"), QStringLiteral("Send Email")},
      {QStringLiteral("MSG_MINIMIZED"), QStringLiteral("is minimized here!")},
      {QStringLiteral("MSG_TRAY"),
       QStringLiteral("Double-click this icon to show application interface or Right-click for more options!\"")},
      // Shown after a new localization file was fetched; an empty box would tell the user nothing.
      {QStringLiteral("MSG_DOWNLOADED"),
       QStringLiteral("The latest language file was downloaded. Choose your language from the list.")},
      // Everyday reading: counts, updates, the filter and the search.
      {QStringLiteral("MSG_IDX_STARRED"), QStringLiteral("Starred")},
      {QStringLiteral("MSG_IDX_UPDATING"), QStringLiteral("Updating %1 of %2 ...")},
      {QStringLiteral("MSG_IDX_UPDATED"), QStringLiteral("All feeds updated.")},
      {QStringLiteral("MSG_IDX_UPDATEBUSY"), QStringLiteral("A feed check is already running.")},
      {QStringLiteral("MSG_IDX_FILTER"), QStringLiteral("Filter items (title and text)")},
      {QStringLiteral("MSG_IDX_SEARCH"), QStringLiteral("Search all items")},
      {QStringLiteral("MSG_IDX_SEARCHHINT"), QStringLiteral("Words to find (all must match)")},
      {QStringLiteral("MSG_IDX_NOUNREAD"), QStringLiteral("No unread items left.")},
      {QStringLiteral("MSG_IDX_REBUILT"),
       QStringLiteral("The item index was damaged and has been built again from the item stores.")},
  };
  return messages;
}

void clsLanguages::setMessage(const QString& key, const QString& text) {
  if (used_ >= kMessageSlots) return;
  slots_[used_] = {key, text};
  ++used_;
}

QString clsLanguages::getMessages(const QString& key) const {
  for (int i = 0; i < used_; ++i) {
    if (slots_[i].key.compare(key, Qt::CaseInsensitive) == 0) return upperFirst(replaceTokens(slots_[i].text, false));
  }
  return {};
}

QString clsLanguages::replaceTokens(QString text, bool website) const {
  text.replace(QStringLiteral("[ProgramName]"), identity_.programName, Qt::CaseInsensitive);
  text.replace(QStringLiteral("[CompanyName]"), identity_.companyName, Qt::CaseInsensitive);
  if (website) text.replace(QStringLiteral("[Website]"), identity_.website, Qt::CaseInsensitive);
  return text;
}

QString clsLanguages::localizationFile() const { return paths_.localization(); }

bool clsLanguages::LangFileExists() const { return util::FileExists(localizationFile()); }

QString clsLanguages::LangTrimPath(const QString& path) {
  if (path.endsWith(QLatin1Char('\\')) || path.endsWith(QLatin1Char('/'))) return path.left(path.size() - 1);
  return path;
}

QStringList clsLanguages::readTranslationLines(const QString& text, const QString& language) const {
  for (const Group& group : languageGroups(text)) {
    if (group.name.toUpper() != language.trimmed().toUpper()) continue;
    const QString items = between(text, kItemsOpen, kItemsClose, group.begin, group.end);
    // CR LF as written on Windows; a file saved by a Linux editor has LF only.
    QStringList lines = items.split(QLatin1Char('\n'));
    for (QString& line : lines) {
      if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    }
    lines.removeAll(QString());
    return lines;
  }
  return {};
}

void clsLanguages::loadTranslationLines(const QString& language) {
  const QString text = readLocalization(localizationFile());
  lines_ = readTranslationLines(text, language);
  if (lines_.isEmpty()) lines_ = readTranslationLines(text, kDefaultLanguage);
}

void clsLanguages::applyToMessages() {
  for (int i = 0; i < used_; ++i) {
    const QString text = getCaption(slots_[i].key);
    if (!text.isEmpty()) slots_[i].text = text;
  }
}

void clsLanguages::loadLanguage(const QString& language) {
  loadTranslationLines(language);
  applyToMessages();
}

QString clsLanguages::getCaption(const QString& key) const {
  for (const QString& line : lines_) {
    const qsizetype open = line.indexOf(QLatin1Char('<'));
    if (open < 0) continue;
    const qsizetype close = line.indexOf(QLatin1Char('>'), open + 1);
    if (close < 0) continue;
    const QString tag = line.mid(open + 1, close - open - 1);
    if (tag.toUpper() != key.toUpper()) continue;
    const qsizetype end = line.indexOf(QStringLiteral("</") + tag + QLatin1Char('>'), close + 1, Qt::CaseInsensitive);
    if (end < 0) continue;  // no closing tag on the line: not an entry
    QString text = replaceTokens(line.mid(close + 1, end - close - 1), true);
    return upperFirst(text);
  }
  return {};
}

QStringList clsLanguages::ListLanguages() const {
  QStringList names;
  if (!LangFileExists()) return names;
  for (const Group& group : languageGroups(readLocalization(localizationFile()))) {
    if (!group.name.isEmpty()) names.append(group.name);
  }
  return names;
}

QString clsLanguages::controlKey(const QString& window, const QString& control) {
  return window + QLatin1Char('_') + control;
}

QString clsLanguages::tabKey(const QString& window, const QString& control, int tabFromOne) {
  return controlKey(window, control) + QStringLiteral("_TABS") + QString::number(tabFromOne);
}

QString clsLanguages::columnKey(const QString& window, const QString& control, int columnFromOne) {
  return controlKey(window, control) + QStringLiteral("_COL") + QString::number(columnFromOne);
}

QString clsLanguages::arrayKey(const QString& window, const QString& control, int index) {
  return controlKey(window, control) + QString::number(index);
}

QString clsLanguages::windowCaptionKey(const QString& window) { return window.toUpper() + QStringLiteral("_CAPTION"); }

QString clsLanguages::captionMessageKey(const QString& window) { return QStringLiteral("CAPTION_") + window.toUpper(); }

QString clsLanguages::englishGroupText(const QList<QPair<QString, QString>>& entries) {
  static const QRegularExpression lineBreaks(QStringLiteral("[\\r\\n]+"));
  const QString crlf = QStringLiteral("\r\n");
  QString out;
  out += QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") + crlf;
  out += QStringLiteral("<XML_DIZ_INFO>") + crlf;
  out += QStringLiteral("  <LOCALIZATION_FILE_INFO>") + crlf;
  out += QStringLiteral("    <LOCALIZATION_FILE_VERSION>1.0</LOCALIZATION_FILE_VERSION>") + crlf;
  out += QStringLiteral("  </LOCALIZATION_FILE_INFO>") + crlf;
  out += QStringLiteral("  <LANGUAGE_GROUP xml:lang=\"en\">") + crlf;
  out += QStringLiteral("    <LANGUAGE_NAME>English</LANGUAGE_NAME>") + crlf;
  out += QStringLiteral("    <DESCRIPTION>The captions and messages of [ProgramName] in English.</DESCRIPTION>") + crlf;
  out += QStringLiteral("    <TRANSLATION_ITEMS>") + crlf;
  for (const auto& [key, text] : entries) {
    // An entry is one line: a caption that spans lines keeps its words on one.
    QString flat = text;
    flat.replace(lineBreaks, QStringLiteral(" "));
    out += QStringLiteral("      <%1>%2</%1>").arg(key, flat) + crlf;
  }
  out += QStringLiteral("    </TRANSLATION_ITEMS>") + crlf;
  out += QStringLiteral("  </LANGUAGE_GROUP>") + crlf;
  out += QStringLiteral("</XML_DIZ_INFO>") + crlf;
  return out;
}

bool clsLanguages::appendEnglishGroup(const QList<QPair<QString, QString>>& entries) const {
  const QString target = paths_.localizationTarget();
  // The application folder's file is the one the program reads first; when
  // only the shipped copy exists, the new group is added after its content.
  QByteArray existing;
  QFile current(util::FileExists(target) ? target : paths_.localization());
  if (current.exists() && current.open(QIODevice::ReadOnly)) existing = current.readAll();
  current.close();

  // Unbuffered, so a short write (full disk) shows in write()'s count: a
  // failed flush inside commit() would not stop the rename of a truncated file.
  QSaveFile file(target);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
  const QByteArray bytes = existing + englishGroupText(entries).toUtf8();
  return file.write(bytes) == bytes.size() && file.commit();
}

}  // namespace tidewell
