#include "app/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <future>

#include <gtest/gtest.h>

using namespace tidewell;

namespace {

// A later start blocks on its socket until the first one answers, which needs
// the first one's event loop: the later start runs on a thread of its own.
std::future<SingleInstance::Role> startElsewhere(const QString& name, const QStringList& arguments) {
  return std::async(std::launch::async, [name, arguments] { return SingleInstance(name).start(arguments); });
}

SingleInstance::Role waitFor(std::future<SingleInstance::Role>& later, QSignalSpy& spy) {
  while (later.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) spy.wait(50);
  return later.get();
}

}  // namespace

TEST(SingleInstance, SecondStartHandsItsCommandLineOver) {
  QTemporaryDir home;
  const QString name = SingleInstance::serverNameFor(home.path());
  SingleInstance first(name);
  ASSERT_EQ(first.start({}), SingleInstance::Role::Primary);
  QSignalSpy received(&first, &SingleInstance::commandLineReceived);

  for (const QStringList& arguments : {QStringList{QStringLiteral("-s")}, QStringList{}}) {
    auto later = startElsewhere(name, arguments);
    EXPECT_EQ(waitFor(later, received), SingleInstance::Role::HandedOver);
    ASSERT_FALSE(received.isEmpty());
    EXPECT_EQ(received.takeFirst().at(0).toStringList(), arguments);
  }
}

TEST(SingleInstance, OneNamePerApplicationFolder) {
  QTemporaryDir a;
  QTemporaryDir b;
  EXPECT_EQ(SingleInstance::serverNameFor(a.path()), SingleInstance::serverNameFor(a.path() + QStringLiteral("/")));
  EXPECT_NE(SingleInstance::serverNameFor(a.path()), SingleInstance::serverNameFor(b.path()));
  EXPECT_FALSE(SingleInstance::serverNameFor(a.path()).contains(QLatin1Char('/')));

  // Programs on different folders run side by side.
  SingleInstance first(SingleInstance::serverNameFor(a.path()));
  SingleInstance second(SingleInstance::serverNameFor(b.path()));
  EXPECT_EQ(first.start({}), SingleInstance::Role::Primary);
  EXPECT_EQ(second.start({}), SingleInstance::Role::Primary);
}

TEST(SingleInstance, TakesOverTheSocketOfACrashedProgram) {
  QTemporaryDir home;
  const QString name = SingleInstance::serverNameFor(home.path());
  // A crashed program leaves its socket file behind with nobody listening.
  QLocalServer probe;
  ASSERT_TRUE(probe.listen(name));
  const QString socketFile = probe.fullServerName();
  probe.close();
  QFile leftOver(socketFile);
  ASSERT_TRUE(leftOver.open(QIODevice::WriteOnly));
  leftOver.close();

  SingleInstance restarted(name);
  EXPECT_EQ(restarted.start({}, 1000), SingleInstance::Role::Primary);
  QSignalSpy received(&restarted, &SingleInstance::commandLineReceived);
  auto later = startElsewhere(name, {QStringLiteral("-debug")});
  EXPECT_EQ(waitFor(later, received), SingleInstance::Role::HandedOver);
}
