#include "core/Utilities.h"

#include "TidewellConfig.h"
#include "core/UserMessages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QUuid>

#include <algorithm>
#include <array>

namespace tidewell::util {

namespace {

// Windows-1252 for 0x80..0x9F; the five bytes it leaves undefined map to the
// C1 control of the same value, as Windows' own conversion does.
constexpr std::array<char16_t, 32> kCp1252High = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeWindows1252(const QByteArray& bytes) {
  QString out(bytes.size(), Qt::Uninitialized);
  QChar* dst = out.data();
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    *dst++ = (b >= 0x80 && b <= 0x9F) ? QChar(kCp1252High[b - 0x80]) : QChar(b);
  }
  return out;
}

QString decodeUtf8OrLegacy(const QByteArray& bytes, bool keepByteOrderMark) {
  // Stateless, so bytes cut off at the end count as invalid rather than
  // waiting for a continuation that never comes.
  QStringDecoder utf8(QStringDecoder::Utf8,
                      keepByteOrderMark ? QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom
                                        : QStringDecoder::Flag::Stateless);
  QString text = utf8.decode(bytes);
  if (!utf8.hasError()) return text;
  return decodeWindows1252(bytes);
}

void reportFailure(UserMessages* messages, const QString& reason) {
  if (messages == nullptr) return;
  messages->showMessage(QStringLiteral("Error ! : ") + reason, QString::fromUtf8(config::kProgramName),
                        MessageIcon::Critical);
}

QString lineBreak() {
#ifdef Q_OS_WIN
  return QStringLiteral("\r\n");
#else
  return QStringLiteral("\n");
#endif
}

constexpr std::array<const char*, 12> kEnglishAbbreviations = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool localeHasMonth(const QLocale& locale, int month, const QString& fullWanted, const QString& shortWanted) {
  return locale.monthName(month, QLocale::LongFormat).toLower() == fullWanted ||
         locale.monthName(month, QLocale::ShortFormat).toLower() == shortWanted;
}

// Text inside a double-quoted argument of a desktop entry's Exec key: the
// quoting rules first, then the string-value escaping of the file format,
// and "%" doubled because Exec gives it a meaning of its own.
QString quoteExecArgument(const QString& text) {
  QString quoted;
  for (QChar c : text) {
    if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\'))
      quoted += QLatin1Char('\\');
    quoted += c;
  }
  quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
  quoted.replace(QLatin1Char('%'), QStringLiteral("%%"));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

#ifndef Q_OS_WIN
QString autostartFile(const QString& valueName, const QString& autostartFolder) {
  QString folder = autostartFolder;
  if (folder.isEmpty()) {
    folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart");
  }
  return QDir(folder).filePath(valueName + QStringLiteral(".desktop"));
}
#else
QSettings runKey() {
  return QSettings(QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
                   QSettings::NativeFormat);
}
#endif

}  // namespace

QString AddSlash(const QString& path) {
  if (path.isEmpty()) return path;
  const QChar last = path.back();
  if (last == QLatin1Char('/') || last == QDir::separator()) return path;
  return path + QDir::separator();
}

bool FileExists(const QString& path) { return !path.isEmpty() && QFileInfo(path).isFile(); }

bool DirExists(const QString& path) { return !path.isEmpty() && QFileInfo(path).isDir(); }

bool IsBlank(const QString& text) {
  for (QChar c : text) {
    if (c != QLatin1Char(' ')) return false;
  }
  return true;
}

bool WriteTextFile(const QString& path, const QString& text, UserMessages* messages) {
  // Unbuffered, so a short write (full disk) shows in write()'s count: a
  // failed flush inside commit() would not stop the rename of a truncated file.
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    reportFailure(messages, file.errorString());
    return false;
  }
  const QByteArray bytes = (text + lineBreak()).toUtf8();
  if (file.write(bytes) != bytes.size() || !file.commit()) {
    reportFailure(messages, file.errorString());
    return false;
  }
  return true;
}

QString ReadTextFile(const QString& path, UserMessages* messages) {
  QFile file(path);
  if (!file.exists()) return {};  // nothing to read is not an error: callers test existence themselves
  if (!file.open(QIODevice::ReadOnly)) {
    reportFailure(messages, file.errorString());
    return {};
  }
  return DecodeLegacyText(file.readAll());
}

QString DecodeLegacyText(const QByteArray& bytes) { return decodeUtf8OrLegacy(bytes, false); }

void ClearUrlCache(const QString&) {}

QString NewFeedID() {
  const QUuid uuid = QUuid::createUuid();
  if (uuid.isNull()) return {};
  // The first three fields as they lie in memory on a little-endian machine:
  // ids made earlier were written that way, and only uniqueness matters.
  QByteArray bytes = uuid.toRfc4122();
  std::reverse(bytes.begin(), bytes.begin() + 4);
  std::reverse(bytes.begin() + 4, bytes.begin() + 6);
  std::reverse(bytes.begin() + 6, bytes.begin() + 8);
  const QString s = QString::fromLatin1(bytes.toHex().toUpper());
  return s.mid(0, 8) + QLatin1Char('-') + s.mid(8, 4) + QLatin1Char('-') + s.mid(12, 4) + QLatin1Char('-') +
         s.mid(16, 4) + QLatin1Char('-') + s.mid(20, 12);
}

bool SetStartupOption(const QString& valueName, const QString& programPath, const QString& arguments, bool enable,
                      const QString& autostartFolder) {
#ifdef Q_OS_WIN
  Q_UNUSED(autostartFolder);
  QSettings key = runKey();
  if (enable) {
    QString command = QLatin1Char('"') + QDir::toNativeSeparators(programPath) + QLatin1Char('"');
    if (!IsBlank(arguments)) command += QLatin1Char(' ') + arguments;
    key.setValue(valueName, command);
  } else {
    key.remove(valueName);
  }
  key.sync();
  return key.status() == QSettings::NoError;
#else
  const QString path = autostartFile(valueName, autostartFolder);
  if (!enable) return !QFileInfo::exists(path) || QFile::remove(path);

  QString exec = quoteExecArgument(programPath);
  if (!IsBlank(arguments)) exec += QLatin1Char(' ') + arguments;
  const QString entry = QStringLiteral("[Desktop Entry]\nType=Application\nName=") +
                        QString::fromUtf8(config::kProgramName) + QStringLiteral("\nExec=") + exec +
                        QStringLiteral("\nX-GNOME-Autostart-enabled=true\n");
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
  const QByteArray bytes = entry.toUtf8();
  return file.write(bytes) == bytes.size() && file.commit();
#endif
}

bool StartupOptionExists(const QString& valueName, const QString& autostartFolder) {
#ifdef Q_OS_WIN
  Q_UNUSED(autostartFolder);
  return runKey().contains(valueName);
#else
  return QFileInfo::exists(autostartFile(valueName, autostartFolder));
#endif
}

QString MonthNumber(const QString& name) {
  const QString fullWanted = name.trimmed().toLower();
  const QString shortWanted = name.toLower();
  const QLocale current;
  const QLocale english(QLocale::English, QLocale::UnitedStates);
  // Dates in feeds are written with English month names whatever the user's
  // language, so the English names always count as well.
  for (int month = 1; month <= 12; ++month) {
    if (localeHasMonth(current, month, fullWanted, shortWanted) ||
        localeHasMonth(english, month, fullWanted, shortWanted)) {
      return QStringLiteral("%1").arg(month, 2, 10, QLatin1Char('0'));
    }
  }
  return {};
}

QString EnglishMonthAbbreviation(int month) {
  if (month < 1 || month > 12) return {};
  return QString::fromLatin1(kEnglishAbbreviations[static_cast<std::size_t>(month - 1)]);
}

QString EncodeText(const QString& text, bool encode) {
  if (IsBlank(text)) return {};
  if (encode) {
    // Reversing the text, writing each code as four digits and reversing the
    // whole again is the same as writing each byte's digits reversed, in order.
    const QByteArray bytes = text.toUtf8();
    QString out;
    out.reserve(bytes.size() * 4);
    for (char c : bytes) {
      QString digits = QStringLiteral("%1").arg(static_cast<unsigned char>(c) * 7, 4, 10, QLatin1Char('0'));
      std::reverse(digits.begin(), digits.end());
      out += digits;
    }
    return out;
  }
  QByteArray bytes;
  bytes.reserve(text.size() / 4 + 1);
  // Groups of four counted from the end: a hand-shortened value loses its
  // first character, not every one.
  const qsizetype partial = text.size() % 4;
  for (qsizetype pos = partial == 0 ? 0 : partial - 4; pos < text.size(); pos += 4) {
    const QString group = pos < 0 ? text.left(partial) : text.mid(pos, 4);
    int value = 0;
    // The group is read back to front; its leading digits give the number
    // and anything else ends it, so a hand-edited value cannot overflow.
    for (auto it = group.rbegin(); it != group.rend() && it->isDigit(); ++it) value = value * 10 + it->digitValue();
    const int code = (value + 3) / 7;  // the nearest whole multiple of 7
    if (code <= 255) bytes.append(static_cast<char>(code));
  }
  return decodeUtf8OrLegacy(bytes, true);
}

}  // namespace tidewell::util
