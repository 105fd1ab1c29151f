#pragma once

#include <QString>

namespace tidewell {

// Every data file's full path. Files the program writes live in the
// application folder; files it ships (templates, default database, sound,
// localization, help) are taken from the application folder when the user has
// a copy there, else from the installed data folder (share/tidewell beside
// bin/), else from the program's own folder.
class AppPaths {
 public:
  AppPaths() = default;
  AppPaths(QString appFolder, QString programFolder, QString installedDataFolder = {});

  // The application folder: TIDEWELL_HOME when set, else the per-user data
  // folder for an installed program (one that has its installed data folder),
  // else the program folder when it is writable, else the per-user data folder.
  static QString resolveAppFolder(const QString& programFolder, const QString& homeOverride);
  // Where an installed program's shipped files are: the data folder relative
  // to the program folder as the install rules laid them out.
  static QString installedDataFolderFor(const QString& programFolder);
  // Whether the program runs from an installed layout rather than a build folder.
  static bool isInstalled(const QString& programFolder);
  // resolveAppFolder with the program's folder and the TIDEWELL_HOME environment.
  static AppPaths forProgram(const QString& programFolder);
  // The paths for an application folder the caller chose (--home).
  static AppPaths forFolder(const QString& appFolder, const QString& programFolder);

  const QString& appFolder() const { return appFolder_; }
  const QString& programFolder() const { return programFolder_; }
  const QString& installedDataFolder() const { return installedDataFolder_; }

  // A name relative to the application folder, in the platform's form.
  QString file(const QString& name) const;
  // A shipped file: the application folder's copy, or the program folder's.
  QString shipped(const QString& name) const;

  QString dataFolder() const;                      // Data
  QString itemStore(const QString& feedId) const;  // Data/<id>.fdb
  QString feedsDb() const;                         // feeds.fdb
  QString defaultFdb() const;                      // default.fdb (shipped)
  QString appCfg() const;                          // AppCfg.cfg
  QString viewTpl() const;                         // view.tpl (shipped)
  QString emailTpl() const;                        // email.tpl (shipped)
  QString previewTmp() const;                      // ~preview.tmp
  QString notifyWav() const;                       // notify.wav (shipped)
  QString scheduleLog() const;                     // schedule.log
  QString localization() const;                    // Localization.txt (shipped, or downloaded)
  QString localizationTarget() const;              // where a downloaded Localization.txt goes
  QString helpFile() const;                        // Help.html (shipped)
  QString debugXml() const;                        // Debug.xml
  // The site icons of the feeds: derived data, fetched again when missing.
  QString iconFolder() const;                     // Icons
  QString feedIcon(const QString& feedId) const;  // Icons/<id>.png

 private:
  QString appFolder_;
  QString programFolder_;
  QString installedDataFolder_;
};

}  // namespace tidewell
