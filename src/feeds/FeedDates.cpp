#include "feeds/FeedDates.h"

#include "core/Utilities.h"
#include "feeds/FeedItem.h"

#include <QStringList>

#include <algorithm>

namespace tidewell {

namespace {

const char* const kEnglishMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                      "jul", "aug", "sep", "oct", "nov", "dec"};
const char* const kEnglishFullMonths[] = {"january", "february", "march",     "april",   "may",      "june",
                                          "july",    "august",   "september", "october", "november", "december"};

// 1..12 for an English month name or abbreviation in any case ("Sep",
// "sept", "September"); 0 otherwise.
int englishMonth(QStringView text) {
  text = text.trimmed();
  if (text.size() < 3) return 0;
  for (int i = 0; i < 12; ++i) {
    if (text.left(3).compare(QLatin1String(kEnglishMonths[i]), Qt::CaseInsensitive) != 0) continue;
    if (text.size() == 3 || text.compare(QLatin1String(kEnglishFullMonths[i]), Qt::CaseInsensitive) == 0 ||
        (text.size() == 4 && text.back() == QLatin1Char('.')) ||
        (i == 8 && text.compare(QLatin1String("sept"), Qt::CaseInsensitive) == 0)) {
      return i + 1;
    }
  }
  return 0;
}

// English first (feeds are written in English whatever the user's locale),
// then the locale-aware lookup; 0 when unknown.
int monthOf(QStringView text) {
  if (const int month = englishMonth(text)) return month;
  bool ok = false;
  const int number = util::MonthNumber(text.toString()).toInt(&ok);
  return ok && number >= 1 && number <= 12 ? number : 0;
}

bool allDigits(QStringView text) {
  if (text.isEmpty()) return false;
  for (QChar c : text) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
  }
  return true;
}

QString twoDigits(int value) {
  const QChar digits[2] = {QChar(u'0' + value / 10 % 10), QChar(u'0' + value % 10)};
  return QString(digits, 2);
}

// "H:MM", "HH:MM:SS", "HH:MM:SS.fff" -> "HH:MM:SS"; "" when not a time of day.
QString normalizedTime(QStringView text) {
  const qsizetype dot = text.indexOf(QLatin1Char('.'));
  if (dot >= 0) {
    if (!allDigits(text.mid(dot + 1))) return {};
    text = text.left(dot);
  }
  int values[3] = {0, 0, 0};
  int part = 0;
  qsizetype start = 0;
  for (qsizetype i = 0; i <= text.size(); ++i) {
    if (i < text.size() && text[i] != QLatin1Char(':')) continue;
    const QStringView piece = text.mid(start, i - start);
    if (part > 2 || !allDigits(piece) || piece.size() > 2 || (part > 0 && piece.size() != 2)) return {};
    values[part++] = piece.toInt();
    start = i + 1;
  }
  if (part < 2 || values[0] > 23 || values[1] > 59 || values[2] > 60) return {};
  QString out = twoDigits(values[0]);
  out += QLatin1Char(':');
  out += twoDigits(values[1]);
  out += QLatin1Char(':');
  out += twoDigits(values[2]);
  return out;
}

bool isZone(QStringView text) {
  if (text.isEmpty()) return false;
  if (text.front() == QLatin1Char('+') || text.front() == QLatin1Char('-')) {
    QStringView rest = text.mid(1);
    if (rest.size() == 5 && rest[2] == QLatin1Char(':')) return allDigits(rest.left(2)) && allDigits(rest.mid(3));
    return rest.size() == 4 && allDigits(rest);
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

// Both are strings of digits: compared as the numbers they write.
int compareNumbers(QStringView a, QStringView b) {
  while (a.size() > 1 && a.front() == QLatin1Char('0')) a = a.mid(1);
  while (b.size() > 1 && b.front() == QLatin1Char('0')) b = b.mid(1);
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a.compare(b);
}

}  // namespace

ItemDate SplitRssDate(const QString& text) {
  // Words separated by blanks or commas, without copying the text.
  QStringView tokens[12];
  int count = 0;
  qsizetype start = -1;
  for (qsizetype i = 0; i <= text.size(); ++i) {
    const bool separator = i == text.size() || text[i] == QLatin1Char(',') || text[i].isSpace();
    if (!separator) {
      if (start < 0) start = i;
      continue;
    }
    if (start >= 0) {
      if (count == 12) return {};
      tokens[count++] = QStringView(text).mid(start, i - start);
      start = -1;
    }
  }
  if (count == 0) return {};
  // Some feeds put an ISO date where the mail-style date belongs.
  if (count == 1 && tokens[0].size() >= 10 && tokens[0][4] == QLatin1Char('-')) {
    return SplitAtomDate(tokens[0].toString());
  }
  int first = 0;
  // A leading weekday (any word that is neither a number nor a month) is dropped.
  if (!allDigits(tokens[0]) && englishMonth(tokens[0]) == 0) first = 1;
  if (count - first < 3) return {};
  const QStringView dayText = tokens[first];
  const QStringView yearText = tokens[first + 2];
  if (!allDigits(dayText) || dayText.size() > 2) return {};
  const int day = dayText.toInt();
  const int month = monthOf(tokens[first + 1]);
  if (month == 0 || !allDigits(yearText)) return {};
  int year = yearText.toInt();
  if (yearText.size() == 2) {
    year += year < 50 ? 2000 : 1900;
  } else if (yearText.size() == 3) {
    year += 1900;
  } else if (yearText.size() != 4) {
    return {};
  }
  QString time = QStringLiteral("00:00:00");
  if (count - first >= 4) {
    time = normalizedTime(tokens[first + 3]);
    if (time.isEmpty()) return {};
    // Whatever follows must be a zone ("GMT", "EST", "+0200", "(CET)"); it is not applied.
    for (int i = first + 4; i < count; ++i) {
      const QStringView zone = tokens[i];
      if (!isZone(zone) && !(zone.startsWith(QLatin1Char('(')) && zone.endsWith(QLatin1Char(')')))) return {};
    }
  }
  return makeDate(day, month, year, time);
}

ItemDate SplitAtomDate(const QString& input) {
  const QStringView text = QStringView(input).trimmed();
  // YYYY-MM-DD
  if (text.size() < 10 || text[4] != QLatin1Char('-') || text[7] != QLatin1Char('-')) return {};
  if (!allDigits(text.mid(0, 4)) || !allDigits(text.mid(5, 2)) || !allDigits(text.mid(8, 2))) return {};
  const int year = text.mid(0, 4).toInt();
  const int month = text.mid(5, 2).toInt();
  const int day = text.mid(8, 2).toInt();
  if (text.size() == 10) return makeDate(day, month, year, QStringLiteral("00:00:00"));
  const QChar separator = text[10];
  if (separator != QLatin1Char('T') && separator != QLatin1Char('t') && separator != QLatin1Char(' ')) return {};
  QStringView rest = text.mid(11);
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
