#include "feeds/FeedDates.h"

#include "core/Utilities.h"
#include "feeds/FeedItem.h"

#include <QStringList>

namespace tidewell {

namespace {

const char* const kEnglishMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                      "jul", "aug", "sep", "oct", "nov", "dec"};

// 1..12 for an English month name or abbreviation (any case), else the
// locale-aware lookup; 0 when unknown.
int monthOf(const QString& text) {
  const QString lower = text.trimmed().toLower();
  if (lower.size() >= 3) {
    for (int i = 0; i < 12; ++i) {
      if (lower.startsWith(QLatin1String(kEnglishMonths[i]))) {
        static const char* const full[] = {"january", "february", "march",     "april",   "may",      "june",
                                           "july",    "august",   "september", "october", "november", "december"};
        if (lower.size() == 3 || lower == QLatin1String(full[i]) ||
            (lower.size() == 4 && lower.endsWith(QLatin1Char('.'))) || (i == 8 && lower == QLatin1String("sept"))) {
          return i + 1;
        }
      }
    }
  }
  bool ok = false;
  const int number = util::MonthNumber(text).toInt(&ok);
  return ok && number >= 1 && number <= 12 ? number : 0;
}

bool allDigits(QStringView text) {
  if (text.isEmpty()) return false;
  for (QChar c : text) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
  }
  return true;
}

QString twoDigits(int value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); }

// "H:MM", "HH:MM:SS", "HH:MM:SS.fff" -> "HH:MM:SS"; "" when not a time of day.
QString normalizedTime(QStringView text) {
  const qsizetype dot = text.indexOf(QLatin1Char('.'));
  if (dot >= 0) {
    if (!allDigits(text.mid(dot + 1))) return {};
    text = text.left(dot);
  }
  const auto parts = text.split(QLatin1Char(':'));
  if (parts.size() < 2 || parts.size() > 3) return {};
  int values[3] = {0, 0, 0};
  for (qsizetype i = 0; i < parts.size(); ++i) {
    if (!allDigits(parts[i]) || parts[i].size() > 2 || (i > 0 && parts[i].size() != 2)) return {};
    values[i] = parts[i].toInt();
  }
  if (values[0] > 23 || values[1] > 59 || values[2] > 60) return {};
  return twoDigits(values[0]) + QLatin1Char(':') + twoDigits(values[1]) + QLatin1Char(':') + twoDigits(values[2]);
}

bool isZone(QStringView text) {
  if (text.isEmpty()) return false;
  if (text.front() == QLatin1Char('+') || text.front() == QLatin1Char('-')) {
    QString digits = text.mid(1).toString();
    digits.remove(QLatin1Char(':'));
    return digits.size() == 4 && allDigits(digits);
  }
  for (QChar c : text) {
    if (!c.isLetter()) return false;
  }
  return text.size() <= 5;
}

ItemDate makeDate(int day, int month, int year, const QString& time) {
  if (day < 1 || day > 31 || month < 1 || month > 12 || year < 1000 || year > 9999 || time.isEmpty()) return {};
  return {twoDigits(day), util::EnglishMonthAbbreviation(month), QString::number(year), time};
}

// Longest first digit run compare: both are strings of digits.
int compareNumbers(QStringView a, QStringView b) {
  while (a.size() > 1 && a.front() == QLatin1Char('0')) a = a.mid(1);
  while (b.size() > 1 && b.front() == QLatin1Char('0')) b = b.mid(1);
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a.compare(b);
}

}  // namespace

ItemDate SplitRssDate(const QString& text) {
  QString cleaned = text;
  cleaned.replace(QLatin1Char(','), QLatin1Char(' '));
  QStringList tokens = cleaned.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  for (QString& token : tokens) token = token.trimmed();
  tokens.removeAll(QString());
  if (tokens.isEmpty()) return {};
  // Some feeds put an ISO date where the mail-style date belongs.
  if (tokens.size() == 1 && tokens[0].size() >= 10 && tokens[0][4] == QLatin1Char('-')) return SplitAtomDate(tokens[0]);
  // A leading weekday (any word that is not a number or a month) is dropped.
  if (!allDigits(tokens[0]) && monthOf(tokens[0]) == 0) tokens.removeFirst();
  if (tokens.size() < 3) return {};
  if (!allDigits(tokens[0]) || tokens[0].size() > 2) return {};
  const int day = tokens[0].toInt();
  const int month = monthOf(tokens[1]);
  if (month == 0 || !allDigits(tokens[2])) return {};
  int year = tokens[2].toInt();
  if (tokens[2].size() == 2) {
    year += year < 50 ? 2000 : 1900;
  } else if (tokens[2].size() == 3) {
    year += 1900;
  } else if (tokens[2].size() != 4) {
    return {};
  }
  QString time = QStringLiteral("00:00:00");
  if (tokens.size() >= 4) {
    time = normalizedTime(tokens[3]);
    if (time.isEmpty()) return {};
    // Whatever follows must be a zone ("GMT", "EST", "+0200"); it is not applied.
    for (qsizetype i = 4; i < tokens.size(); ++i) {
      if (!isZone(tokens[i]) && !(tokens[i].startsWith(QLatin1Char('(')) && tokens[i].endsWith(QLatin1Char(')')))) {
        return {};
      }
    }
  }
  return makeDate(day, month, year, time);
}

ItemDate SplitAtomDate(const QString& input) {
  const QString text = input.trimmed();
  // YYYY-MM-DD
  if (text.size() < 10 || text[4] != QLatin1Char('-') || text[7] != QLatin1Char('-')) return {};
  const QStringView view(text);
  if (!allDigits(view.mid(0, 4)) || !allDigits(view.mid(5, 2)) || !allDigits(view.mid(8, 2))) return {};
  const int year = view.mid(0, 4).toInt();
  const int month = view.mid(5, 2).toInt();
  const int day = view.mid(8, 2).toInt();
  if (text.size() == 10) return makeDate(day, month, year, QStringLiteral("00:00:00"));
  const QChar separator = text[10];
  if (separator != QLatin1Char('T') && separator != QLatin1Char('t') && separator != QLatin1Char(' ')) return {};
  QStringView rest = view.mid(11);
  // The zone: "Z", "+01:00", "-0500" or none; the time is kept as written.
  if (!rest.isEmpty() && (rest.back() == QLatin1Char('Z') || rest.back() == QLatin1Char('z'))) {
    rest.chop(1);
  } else {
    const qsizetype sign = std::max(rest.lastIndexOf(QLatin1Char('+')), rest.lastIndexOf(QLatin1Char('-')));
    if (sign >= 0) {
      if (!isZone(rest.mid(sign))) return {};
      rest = rest.left(sign);
    }
  }
  return makeDate(day, month, year, normalizedTime(rest.trimmed()));
}

void ApplyDate(const ItemDate& date, FeedItem& item) {
  item.day = date.day;
  item.month = date.month;
  item.year = date.year;
  item.time = date.time;
}

QString DateKey(const QString& day, const QString& month, const QString& year, const QString& time) {
  if (day.isEmpty() || month.isEmpty() || year.isEmpty() || time.isEmpty()) return {};
  const int number = monthOf(month);
  if (number == 0) return {};
  QString key = year + twoDigits(number) + day + time;
  key.remove(QLatin1Char(':'));
  return key;
}

QString DateKey(const FeedItem& item) { return DateKey(item.day, item.month, item.year, item.time); }

bool IsNewerThanLatest(const QString& dateKey, QString& latestId) {
  const QString latest = latestId.trimmed();
  if (latest.isEmpty() || !allDigits(latest)) {
    latestId = dateKey;
    return true;
  }
  const QString key = dateKey.trimmed();
  if (!allDigits(key)) return false;
  if (compareNumbers(key, latest) <= 0) return false;
  latestId = key;
  return true;
}

}  // namespace tidewell
