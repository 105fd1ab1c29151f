// Times the INI layer on a configuration the size of a 500-entry schedule:
// the scheduler saves entry by entry and loads key by key, so each call
// reads the whole file once.
#include "core/mINI.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

using namespace tidewell;

namespace {

constexpr int kEntries = 500;

QString entry(int i) {
  return QStringLiteral("1|%1|https://feeds.example.org/feed/%2.xml|0|12:00|%3")
      .arg(i % 3)
      .arg(i)
      .arg(QStringLiteral("3E1F9A2C-77D1-4B8E-9C55-%1").arg(i, 12, 10, QLatin1Char('0')));
}

void report(const char* what, qint64 nanoseconds, int calls) {
  std::printf("%-40s %8.1f ms total %8.1f us/call\n", what, nanoseconds / 1e6, nanoseconds / 1e3 / calls);
}

}  // namespace

int main() {
  QTemporaryDir dir;
  mINI ini;
  ini.SetINIFile(dir.filePath(QStringLiteral("AppCfg.cfg")), 5000);
  for (const char* section : {"Email", "App", "Check"}) {
    for (int k = 0; k < 10; ++k) (void)ini.WriteINI(section, QStringLiteral("key%1").arg(k), QStringLiteral("value"));
  }

  QElapsedTimer timer;
  timer.start();
  (void)ini.DeleteSection(QStringLiteral("Schdl"));
  for (int i = 1; i <= kEntries; ++i)
    (void)ini.WriteINI(QStringLiteral("Schdl"), QStringLiteral("s_%1").arg(i), entry(i));
  report("save 500 entries (one write each)", timer.nsecsElapsed(), kEntries);

  timer.restart();
  const QString keys = ini.GetSectionKeys(QStringLiteral("Schdl")).valueOr({});
  int found = 0;
  for (const auto& key : keys.split(QChar(u'\0')))
    found += ini.ReadINI(QStringLiteral("Schdl"), key, {}).valueOr({}).isEmpty() ? 0 : 1;
  report("load 500 entries (keys + one read each)", timer.nsecsElapsed(), kEntries + 1);

  QList<IniEntry> entries;
  for (int i = 1; i <= kEntries; ++i) entries.push_back({QStringLiteral("s_%1").arg(i), entry(i)});
  timer.restart();
  (void)ini.WriteSection(QStringLiteral("Schdl"), entries);
  report("save 500 entries (WriteSection)", timer.nsecsElapsed(), 1);

  timer.restart();
  const qsizetype loaded = ini.ReadSection(QStringLiteral("Schdl")).valueOr({}).size();
  report("load 500 entries (ReadSection)", timer.nsecsElapsed(), 1);

  timer.restart();
  for (int i = 0; i < 100; ++i) (void)ini.ReadINI(QStringLiteral("App"), QStringLiteral("key5"), {});
  report("read one setting from the full file", timer.nsecsElapsed(), 100);

  std::printf("entries read back: %d and %lld of %d\n", found, static_cast<long long>(loaded), kEntries);
  return found == kEntries && loaded == kEntries ? 0 : 1;
}
