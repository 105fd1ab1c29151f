#include "core/AppPaths.h"
#include "core/UserStore.h"

#include "support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tidewell;

namespace {

// Permission bits do not stop root, so a folder nobody can create files in
// is taken from procfs when the read-only temporary folder is still writable.
QString unwritableFolder(const QTemporaryDir& dir) {
  const QString folder = dir.path() + QStringLiteral("/readonly");
  QDir().mkpath(folder);
  QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
  QFile probe(folder + QStringLiteral("/probe"));
  if (!probe.open(QIODevice::WriteOnly)) return folder;
  probe.remove();
  return QStringLiteral("/proc");
}

}  // namespace

TEST(AppPaths, FolderResolution) {
  QStandardPaths::setTestModeEnabled(true);
  QTemporaryDir dir;
  const QString program = dir.path() + QStringLiteral("/program");
  const QString home = dir.path() + QStringLiteral("/home");
  QDir().mkpath(program);

  EXPECT_EQ(AppPaths::resolveAppFolder(program, home), QDir(home).absolutePath());
  EXPECT_EQ(AppPaths::resolveAppFolder(program, {}), QDir(program).absolutePath());

  const QString perUser = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  EXPECT_EQ(AppPaths::resolveAppFolder(unwritableFolder(dir), {}), perUser);
  EXPECT_EQ(AppPaths::resolveAppFolder(dir.path() + QStringLiteral("/missing"), {}), perUser);
  EXPECT_TRUE(QDir(perUser).exists());

  // An installed program (share/tidewell beside bin/) keeps its data per user
  // even when it could write into bin/, as root can.
  const QString installedBin = dir.path() + QStringLiteral("/usr/bin");
  QDir().mkpath(installedBin);
  EXPECT_EQ(AppPaths::resolveAppFolder(installedBin, {}), QDir(installedBin).absolutePath());
  const QString shared = dir.path() + QStringLiteral("/usr/share/tidewell");
  EXPECT_EQ(AppPaths::installedDataFolderFor(installedBin), shared);
  QDir().mkpath(shared);
  QFile(shared + QStringLiteral("/default.fdb")).open(QIODevice::WriteOnly);
  EXPECT_EQ(AppPaths::resolveAppFolder(installedBin, {}), perUser);
  EXPECT_EQ(AppPaths::resolveAppFolder(installedBin, home), QDir(home).absolutePath());
  EXPECT_EQ(AppPaths::forProgram(installedBin).installedDataFolder(), shared);

  QFile::setPermissions(dir.path() + QStringLiteral("/readonly"),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  QStandardPaths::setTestModeEnabled(false);
}

TEST(AppPaths, FileTableAndShippedCopies) {
  test::TempHome home;
  QTemporaryDir program;
  AppPaths paths(home.path(), program.path());
  const auto inApp = [&](const QString& name) { return QDir::toNativeSeparators(home.path() + "/" + name); };
  const auto inProgram = [&](const QString& name) { return QDir::toNativeSeparators(program.path() + "/" + name); };

  EXPECT_EQ(paths.dataFolder(), inApp("Data"));
  EXPECT_EQ(paths.itemStore("ABC"), inApp("Data/ABC.fdb"));
  EXPECT_EQ(paths.feedsDb(), inApp("feeds.fdb"));
  EXPECT_EQ(paths.appCfg(), inApp("AppCfg.cfg"));
  EXPECT_EQ(paths.previewTmp(), inApp("~preview.tmp"));
  EXPECT_EQ(paths.scheduleLog(), inApp("schedule.log"));
  EXPECT_EQ(paths.localizationTarget(), inApp("Localization.txt"));

  // A shipped file comes from the program folder until the user has a copy.
  QFile(inProgram("view.tpl")).open(QIODevice::WriteOnly);
  EXPECT_EQ(paths.viewTpl(), inProgram("view.tpl"));
  home.write("view.tpl", "mine");
  EXPECT_EQ(paths.viewTpl(), inApp("view.tpl"));
  EXPECT_EQ(paths.defaultFdb(), inApp("default.fdb"));  // shipped nowhere: where it would be written
}

TEST(AppPaths, ShippedFilesOfAnInstalledProgram) {
  // Looked up in the application folder, then the installed data folder,
  // then the program's folder.
  test::TempHome home;
  QTemporaryDir program;
  QTemporaryDir shared;
  AppPaths paths(home.path(), program.path(), shared.path());
  const auto in = [](const QString& folder, const QString& name) {
    return QDir::toNativeSeparators(folder + "/" + name);
  };
  for (const char* name : {"email.tpl", "view.tpl", "Help.html"}) {
    QFile(in(program.path(), name)).open(QIODevice::WriteOnly);
  }
  for (const char* name : {"view.tpl", "Help.html"}) QFile(in(shared.path(), name)).open(QIODevice::WriteOnly);
  home.write("Help.html", "mine");

  EXPECT_EQ(paths.emailTpl(), in(program.path(), "email.tpl"));
  EXPECT_EQ(paths.viewTpl(), in(shared.path(), "view.tpl"));
  EXPECT_EQ(paths.helpFile(), in(home.path(), "Help.html"));
  EXPECT_EQ(paths.notifyWav(), in(home.path(), "notify.wav"));
}

TEST(UserStore, KeepsUserAndMachineValuesApart) {
  test::TempHome home;
  {
    UserStore store = home.userStore();
    EXPECT_EQ(store.userValue("Settings", "Language", ""), "");
    EXPECT_EQ(store.userValue("Settings", "showHelp", "1"), "1");
    EXPECT_EQ(store.machineValue("Settings", "chkSplash", "0"), "0");
    store.setUserValue("Settings", "Language", QStringLiteral("Fran\u00e7ais"));
    store.setUserValue("Settings", "showHelp", "0");
    store.setMachineValue("Settings", "showHelp", "0");
  }
  const UserStore again = home.userStore();
  EXPECT_EQ(again.userValue("Settings", "Language", "English"), QStringLiteral("Fran\u00e7ais"));
  EXPECT_EQ(again.userValue("Settings", "showHelp", "1"), "0");
  EXPECT_EQ(again.machineValue("Settings", "showHelp", "1"), "0");
  EXPECT_EQ(again.machineValue("Settings", "Language", "none"), "none");
}
