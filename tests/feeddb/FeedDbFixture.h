#pragma once

#include "feeddb/mCategories.h"
#include "feeddb/mFeeds.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"

#include <QFile>

#include <gtest/gtest.h>

#include <ostream>

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace tidewell::test {

// A temporary application folder with its feeds.fdb, the messages the
// operations raised, and the operations themselves.
class FeedDbFixture : public ::testing::Test {
 protected:
  static QByteArray fixture(const QString& name) {
    QFile file(TempHome::testDataDir() + QStringLiteral("/feeddb/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll();
  }

  // Installs a fixture (or bytes) as feeds.fdb.
  void useFixture(const QString& name) { home.write(QStringLiteral("feeds.fdb"), fixture(name)); }
  void useBytes(const QByteArray& bytes) { home.write(QStringLiteral("feeds.fdb"), bytes); }
  QByteArray db() const { return home.read(QStringLiteral("feeds.fdb")); }
  QString dbText() const { return QString::fromUtf8(db()); }

  mCategories categories() { return mCategories(home.paths(), messages); }
  mFeeds feeds() { return mFeeds(home.paths(), messages); }

  TempHome home;
  ScriptedMessages messages;
};

inline std::string str(const QString& text) { return text.toStdString(); }

}  // namespace tidewell::test
