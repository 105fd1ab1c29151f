#pragma once

#include "core/AppPaths.h"
#include "core/NetworkProxy.h"
#include "core/Result.h"
#include "settings/SmtpSecurity.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace tidewell {

class PasswordVault;
class UserMessages;

// One feed on the scheduler's list. Stored as "<type>\x05<id>\x05<url>\x05<caption>".
struct ScheduleEntry {
  QString spare;  // never stored; kept so the entry reads as the scheduler expects
  QString url;
  qint16 feedType = 0;  // 0 RSS, 1 ATOM, 2 podcast; the feed's tree image is feedType + 3
  QString feedId;
  QString caption;

  bool operator==(const ScheduleEntry&) const = default;
};

// AppCfg.cfg and the in-memory copy of every setting in it. The windows, the
// scheduler and e-mail read the public members directly; only the operations
// below (and the dialogs that edit the members before saving) change them.
// Every operation opens the file itself, so nothing is held open in between.
class mSettings {
 public:
  static constexpr int kBufferSize = 5000;
  static constexpr qint16 kNoInterval = -1;
  static constexpr int kIntervalCount = 7;
  static constexpr int kDefaultDownloadConcurrency = 8;
  static constexpr int kMaxDownloadConcurrency = 64;
  static constexpr QChar kEntrySeparator = QChar(5);
  static inline const QString kStartupValueName = QStringLiteral("Tidewellrun");
  static inline const QString kStartupArgument = QStringLiteral("-s");

  mSettings(const AppPaths& paths, UserMessages& messages);

  // Section "email"; every value is stored scrambled (util::EncodeText).
  QString smtpServer;   // sv
  QString smtpPort;     // po
  qint16 smtpAuth = 0;  // au, 1 = on; a missing key reads as the stored form "6330"
  QString smtpUser;     // us
  // pw; kept in the desktop's keyring instead when one is running at save
  // time ("pwk" = "1" then, and pw holds nothing).
  QString smtpPassword;
  QString senderName;   // fn
  QString senderEmail;  // fe
  // sec, plain "tls", "starttls" or "none"; written with every save. A file
  // without it (or with a word it does not know) reads as legacySmtpSecurity
  // of its port and login, so an old configuration goes on working as safely
  // as it can; without a server either, as StartTls.
  SmtpSecurity smtpSecurity = SmtpSecurity::StartTls;
  // plainok: plainLoginFingerprint of the configuration whose unencrypted
  // login the user allowed; written once there was one.
  QString plainLoginAllowed;
  // The login would go out unencrypted and the user has not allowed it for
  // this server, port and user name.
  bool plainLoginNeedsConsent() const;
  // Records the user's consent for the configuration in memory and writes it
  // (only that key, the rest of the section stays as saved).
  Status SavePlainLoginConsent();

  // Section "app".
  qint16 startWithSystem = 0;  // autos
  qint16 closeExits = 0;       // close
  qint16 closeMinimizes = 1;   // mins
  bool confirmClose = true;    // confirm
  // 1: announce new items with the program's own pop-up even when the
  // desktop has a notification service ("popup"; written only once chosen).
  qint16 popupNotifications = 0;

  // Section "proxy": "mode" (0 system, 1 HTTP, 2 SOCKS5), "host", "port",
  // "user". A file without the section uses the system's proxy.
  ProxyConfig proxy;
  // pics: pictures of feed items are fetched from their servers; with 0 an
  // opened item makes no request at all (its pictures show their alt text).
  qint16 remotePictures = 1;

  // Section "schdl".
  qint16 schedulerEnabled = 0;        // ena
  qint16 interval = kNoInterval;      // frq: -1 none chosen, else an index of intervalTexts()
  qint16 notify = 1;                  // alr
  qint16 playSound = 0;               // snd
  QString soundFile;                  // sfl; defaultSoundFile() until loaded
  QList<ScheduleEntry> scheduleList;  // entry i (from 0) is stored as "s_<i + 1>"

  // How many feeds the scheduled check downloads at once (section "check",
  // key "concurrency", 1..kMaxDownloadConcurrency). Read by
  // LoadSchedulerSettings; written by SaveSchedulerSettings only when it
  // differs from the file, so an untouched file keeps its classic layout.
  int downloadConcurrency = kDefaultDownloadConcurrency;

  // Section "retention": how much of each item store is kept for a feed
  // without its own choice. keep = newest items kept, days = maximum age,
  // 0 = no limit (the default: everything is kept); unread = 1 when unread
  // items may be removed too.
  int retentionKeep = 0;
  int retentionDays = 0;
  bool retentionIncludeUnread = false;
  Status SaveRetentionSettings();
  void LoadRetentionSettings();

  // Show a message: "Email Settings are Successfully Saved!" titled "Done!".
  Status SaveEmailSettings(bool showMessage);
  void LoadEmailSettings();

  // Also writes or removes the log-in start-up entry (Tidewellrun, "-s").
  Status SaveAppSettings(bool showMessage);
  void LoadAppSettings();
  // The proxy section; the application settings dialog saves it with the rest.
  Status SaveProxySettings();
  void LoadProxySettings();

  // Deletes and rewrites section "schdl", then calls the re-arm handler.
  Status SaveSchedulerSettings(bool showMessage);
  // Always resets the list; loads its entries only when loadList. A malformed
  // or missing entry is reported as "LoadSchedulerSettings Function" and ends
  // the load; the entries before it stay.
  Status LoadSchedulerSettings(bool loadList);

  bool GetConfirmClose();
  void SetConfirmClose(bool value);
  // Reads "close" with the default "1" (LoadAppSettings' default is "0").
  bool GetCloseOnExit();

  // application folder + notify.wav (the shipped copy when the folder has none).
  QString defaultSoundFile() const;

  // The keyring for the SMTP password; null or unavailable: AppCfg.cfg keeps it.
  void setPasswordVault(PasswordVault* vault) { vault_ = vault; }
  // The keyring's name for this application folder's SMTP password.
  QString passwordAccount() const;

  // The main window's timer re-arm; called after every SaveSchedulerSettings.
  void setSchedulerSavedHandler(std::function<void()> handler) { schedulerSaved_ = std::move(handler); }

  // Where the start-up entry goes; empty = the platform's own place. Tests
  // point it at a temporary folder.
  void setAutostartFolder(const QString& folder) { autostartFolder_ = folder; }
  const QString& autostartFolder() const { return autostartFolder_; }
  // The desktop program the start-up entry runs.
  QString startupProgram() const;

  const QString& configFile() const { return configFile_; }

  // The interval list: "Every 5 Min" ... "Every 3 Hour".
  static const QStringList& intervalTexts();
  // Timer interval of an interval index; 0 for -1 or an unknown index.
  static int intervalMilliseconds(int index);
  static bool isValidInterval(int index) { return index >= 0 && index < kIntervalCount; }

  // The stored value of an entry, and its parse (fails on too few fields or a
  // non-numeric type).
  static QString formatScheduleEntry(const ScheduleEntry& entry);
  static Result<ScheduleEntry> parseScheduleEntry(const QString& value);

 private:
  AppPaths paths_;
  QString configFile_;
  UserMessages& messages_;
  QString autostartFolder_;
  std::function<void()> schedulerSaved_;
  PasswordVault* vault_ = nullptr;
};

}  // namespace tidewell
