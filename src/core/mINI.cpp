#include "core/mINI.h"

#include "core/Utilities.h"

#include <QFile>
#include <QSaveFile>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <optional>

namespace tidewell {

namespace {

const QString kSource = QStringLiteral("INIReadWrite");
const QString kLineBreakEscape = QStringLiteral("%%&&Chr(13)&&%%");

bool sameName(QStringView a, QStringView b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool isComment(QStringView trimmed) {
  return trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'));
}

// The section named by a header line, or nothing when the line is no header.
std::optional<QStringView> sectionOf(QStringView line) {
  const QStringView trimmed = line.trimmed();
  if (!trimmed.startsWith(QLatin1Char('['))) return std::nullopt;
  const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
  if (close < 0) return std::nullopt;
  return trimmed.mid(1, close - 1).trimmed();
}

struct KeyLine {
  QStringView key;
  QStringView value;
};

// A "key=value" line; comments, blank lines and lines without "=" are none.
std::optional<KeyLine> keyOf(QStringView line) {
  const QStringView trimmed = line.trimmed();
  if (trimmed.isEmpty() || isComment(trimmed)) return std::nullopt;
  const qsizetype eq = trimmed.indexOf(QLatin1Char('='));
  if (eq <= 0) return std::nullopt;
  const QStringView key = trimmed.left(eq).trimmed();
  if (key.isEmpty()) return std::nullopt;
  QStringView value = trimmed.mid(eq + 1).trimmed();
  // Quotes keep blanks at either end of a value; they are not part of it.
  if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"'))) {
    value = value.mid(1, value.size() - 2);
  }
  return KeyLine{key, value};
}

QString storedForm(const QString& value) {
  const bool needsQuotes =
      !value.isEmpty() &&
      (value.front().isSpace() || value.back().isSpace() ||
       (value.size() >= 2 && value.front() == QLatin1Char('"') && value.back() == QLatin1Char('"')));
  return needsQuotes ? QLatin1Char('"') + value + QLatin1Char('"') : value;
}

// Every line break becomes the escape literal. A lone CR or LF would end the
// line in the file and let a value forge keys of its own, so those are
// escaped too (they read back as CR LF).
QString escapeLineBreaks(QString value) {
  value.replace(QStringLiteral("\r\n"), kLineBreakEscape);
  value.replace(QLatin1Char('\r'), kLineBreakEscape);
  value.replace(QLatin1Char('\n'), kLineBreakEscape);
  return value;
}

QString unescapeLineBreaks(QString value) { return value.replace(kLineBreakEscape, QStringLiteral("\r\n")); }

QString truncated(const QString& value, int bufferSize) {
  const qsizetype room = std::max(0, bufferSize - 1);
  return value.size() > room ? value.left(room) : value;
}

// The file's lines with their breaks removed, and the break style it uses.
struct IniText {
  QString text;
  QList<QStringView> lines;
  QString lineBreak;
  bool exists = false;
  QString error;  // set when the file is there but cannot be read
};

IniText load(const QString& fileName) {
  IniText ini;
#ifdef Q_OS_WIN
  ini.lineBreak = QStringLiteral("\r\n");
#else
  ini.lineBreak = QStringLiteral("\n");
#endif
  QFile file(fileName);
  if (!file.exists()) return ini;
  if (!file.open(QIODevice::ReadOnly)) {
    ini.error = file.errorString();
    return ini;
  }
  ini.exists = true;
  ini.text = util::DecodeLegacyText(file.readAll());
  const qsizetype firstBreak = ini.text.indexOf(QLatin1Char('\n'));
  if (firstBreak > 0 && ini.text.at(firstBreak - 1) == QLatin1Char('\r'))
    ini.lineBreak = QStringLiteral("\r\n");
  else if (firstBreak >= 0)
    ini.lineBreak = QStringLiteral("\n");

  QStringView rest(ini.text);
  while (!rest.isEmpty()) {
    const qsizetype end = rest.indexOf(QLatin1Char('\n'));
    QStringView line = end < 0 ? rest : rest.left(end);
    if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    ini.lines.push_back(line);
    rest = end < 0 ? QStringView() : rest.mid(end + 1);
  }
  return ini;
}

// The lines of the first section of that name: [first, last) after its header.
struct SectionRange {
  qsizetype header = -1;
  qsizetype first = 0;
  qsizetype last = 0;
};

std::optional<SectionRange> findSection(const IniText& ini, const QString& section, qsizetype from = 0) {
  for (qsizetype i = from; i < ini.lines.size(); ++i) {
    const auto name = sectionOf(ini.lines[i]);
    if (!name || !sameName(*name, section)) continue;
    SectionRange range{i, i + 1, i + 1};
    while (range.last < ini.lines.size() && !sectionOf(ini.lines[range.last])) ++range.last;
    return range;
  }
  return std::nullopt;
}

Status save(const QString& fileName, const QStringList& lines, const QString& lineBreak) {
  QString text;
  qsizetype total = 0;
  for (const auto& line : lines) total += line.size() + lineBreak.size();
  text.reserve(total);
  for (const auto& line : lines) {
    text += line;
    text += lineBreak;
  }
  const QByteArray bytes = text.toUtf8();
  // Unbuffered, so a short write (full disk) shows in write()'s count: a
  // failed flush inside commit() would not stop the rename of a truncated file.
  QSaveFile file(fileName);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || file.write(bytes) != bytes.size() || !file.commit()) {
    return Status::failure({0, kSource, file.errorString()});
  }
  return Status::success();
}

QStringList ownedCopy(const IniText& ini) {
  QStringList lines;
  lines.reserve(ini.lines.size() + 2);
  for (const auto& line : ini.lines) lines.push_back(line.toString());
  return lines;
}

bool isNameSafe(const QString& name) { return !name.contains(QLatin1Char('\n')) && !name.contains(QLatin1Char('\r')); }

}  // namespace

void mINI::SetINIFile(const QString& fileName, int bufferSize) {
  fileName_ = fileName;
  bufferSize_ = bufferSize;
}

// A name with a line break, a key with "=" or a section with "]" could not
// be read back and could forge other lines, so such a write is refused.
static Status checkNames(const QString& section, const QStringList& keys) {
  bool valid = !section.trimmed().isEmpty() && isNameSafe(section) && !section.contains(QLatin1Char(']'));
  for (const auto& key : keys) {
    const QString trimmed = key.trimmed();
    valid = valid && !trimmed.isEmpty() && isNameSafe(key) && !key.contains(QLatin1Char('=')) && !isComment(trimmed) &&
            !trimmed.startsWith(QLatin1Char('['));
  }
  return valid ? Status::success() : Status::failure({0, kSource, QStringLiteral("Invalid section or key name")});
}

static Status checkState(const QString& fileName, int bufferSize) {
  if (bufferSize == 0) return Status::failure({mINI::kStateError, kSource, QStringLiteral("Buffer size not set")});
  if (fileName.isEmpty()) return Status::failure({mINI::kStateError, kSource, QStringLiteral("Filename not set")});
  return Status::success();
}

Result<QString> mINI::ReadINI(const QString& section, const QString& key, const QString& defaultValue) const {
  if (auto state = checkState(fileName_, bufferSize_); !state) return Result<QString>::failure(state.error());
  QString raw = defaultValue;
  const IniText ini = load(fileName_);
  if (const auto range = findSection(ini, section)) {
    for (qsizetype i = range->first; i < range->last; ++i) {
      const auto line = keyOf(ini.lines[i]);
      if (line && sameName(line->key, key)) {
        raw = line->value.toString();
        break;
      }
    }
  }
  // The default goes through the same buffer as a stored value would.
  return unescapeLineBreaks(truncated(raw, bufferSize_));
}

Status mINI::WriteINI(const QString& section, const QString& key, QString& value) {
  if (auto state = checkState(fileName_, bufferSize_); !state) return state;
  value = escapeLineBreaks(value);
  return WriteINI(section, key, static_cast<const QString&>(value));
}

Status mINI::WriteINI(const QString& section, const QString& key, const QString& value) {
  if (auto state = checkState(fileName_, bufferSize_); !state) return state;
  const QString trimmedKey = key.trimmed();
  if (auto valid = checkNames(section, {key}); !valid) return valid;
  const QString stored = storedForm(escapeLineBreaks(value));

  const IniText ini = load(fileName_);
  // Rewriting a file that could not be read would throw its other lines away.
  if (!ini.error.isEmpty()) return Status::failure({0, kSource, ini.error});
  QStringList lines = ownedCopy(ini);
  if (const auto range = findSection(ini, section)) {
    qsizetype lastKeyLine = range->header;
    for (qsizetype i = range->first; i < range->last; ++i) {
      const auto line = keyOf(ini.lines[i]);
      if (!line) continue;
      if (sameName(line->key, trimmedKey)) {
        lines[i] = line->key.toString() + QLatin1Char('=') + stored;
        return save(fileName_, lines, ini.lineBreak);
      }
      lastKeyLine = i;
    }
    // After the section's last key, so comments and blank lines that lead
    // into the next section stay where they are.
    lines.insert(lastKeyLine + 1, trimmedKey + QLatin1Char('=') + stored);
  } else {
    lines.push_back(QLatin1Char('[') + section.trimmed() + QLatin1Char(']'));
    lines.push_back(trimmedKey + QLatin1Char('=') + stored);
  }
  return save(fileName_, lines, ini.lineBreak);
}

Result<QString> mINI::GetSectionKeys(const QString& section) const {
  if (auto state = checkState(fileName_, bufferSize_); !state) return Result<QString>::failure(state.error());
  const IniText ini = load(fileName_);
  const auto range = findSection(ini, section);
  if (!range) return QString();
  QStringList keys;
  QSet<QString> seen;
  for (qsizetype i = range->first; i < range->last; ++i) {
    const auto line = keyOf(ini.lines[i]);
    if (!line) continue;
    const QString name = line->key.toString();
    if (!seen.contains(name.toLower())) {
      seen.insert(name.toLower());
      keys.push_back(name);
    }
  }
  return truncated(keys.join(QChar(u'\0')), bufferSize_);
}

Status mINI::DeleteSection(const QString& section) {
  if (auto state = checkState(fileName_, bufferSize_); !state) return state;
  const IniText ini = load(fileName_);
  if (!ini.error.isEmpty()) return Status::failure({0, kSource, ini.error});
  if (!ini.exists) return Status::success();
  QStringList kept;
  kept.reserve(ini.lines.size());
  bool removed = false;
  qsizetype next = 0;
  // Every section of that name goes, so none of its keys can be read afterwards.
  while (const auto range = findSection(ini, section, next)) {
    for (qsizetype i = next; i < range->header; ++i) kept.push_back(ini.lines[i].toString());
    next = range->last;
    removed = true;
  }
  if (!removed) return Status::success();
  for (qsizetype i = next; i < ini.lines.size(); ++i) kept.push_back(ini.lines[i].toString());
  return save(fileName_, kept, ini.lineBreak);
}

Result<QList<IniEntry>> mINI::ReadSection(const QString& section) const {
  if (auto state = checkState(fileName_, bufferSize_); !state) return Result<QList<IniEntry>>::failure(state.error());
  const IniText ini = load(fileName_);
  QList<IniEntry> entries;
  const auto range = findSection(ini, section);
  if (!range) return entries;
  QSet<QString> seen;
  for (qsizetype i = range->first; i < range->last; ++i) {
    const auto line = keyOf(ini.lines[i]);
    if (!line) continue;
    const QString name = line->key.toString();
    if (seen.contains(name.toLower())) continue;  // the first of duplicate keys is the one ReadINI sees
    seen.insert(name.toLower());
    entries.push_back({name, unescapeLineBreaks(truncated(line->value.toString(), bufferSize_))});
  }
  return entries;
}

Status mINI::WriteSection(const QString& section, const QList<IniEntry>& entries) {
  if (auto state = checkState(fileName_, bufferSize_); !state) return state;
  QStringList keys;
  for (const auto& entry : entries) keys.push_back(entry.key);
  if (auto valid = checkNames(section, keys); !valid) return valid;
  const IniText ini = load(fileName_);
  if (!ini.error.isEmpty()) return Status::failure({0, kSource, ini.error});

  QStringList newLines;
  for (const auto& entry : entries) {
    newLines.push_back(entry.key.trimmed() + QLatin1Char('=') + storedForm(escapeLineBreaks(entry.value)));
  }
  QStringList lines;
  lines.reserve(ini.lines.size() + entries.size() + 1);
  bool written = false;
  qsizetype next = 0;
  while (const auto range = findSection(ini, section, next)) {
    for (qsizetype i = next; i < range->header; ++i) lines.push_back(ini.lines[i].toString());
    next = range->last;
    // The first section of that name takes the new keys; later ones would
    // only hide nothing and confuse a reader, so they go.
    if (written || entries.isEmpty()) continue;
    written = true;
    lines.push_back(ini.lines[range->header].toString());
    lines += newLines;
    for (qsizetype i = range->first; i < range->last; ++i) {
      if (!keyOf(ini.lines[i])) lines.push_back(ini.lines[i].toString());
    }
  }
  for (qsizetype i = next; i < ini.lines.size(); ++i) lines.push_back(ini.lines[i].toString());
  if (!written && !entries.isEmpty()) {
    lines.push_back(QLatin1Char('[') + section.trimmed() + QLatin1Char(']'));
    lines += newLines;
  }
  if (!ini.exists && lines.isEmpty()) return Status::success();
  return save(fileName_, lines, ini.lineBreak);
}

}  // namespace tidewell
