#include "settings/mSettings.h"

#include "core/RuntimeError.h"
#include "core/UserMessages.h"
#include "core/Utilities.h"
#include "core/mINI.h"
#include "settings/PasswordVault.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <climits>

#include <limits>

namespace tidewell {

namespace {

const QString kEmail = QStringLiteral("email");
const QString kApp = QStringLiteral("app");
const QString kProxy = QStringLiteral("proxy");
const QString kSchdl = QStringLiteral("schdl");
const QString kCheck = QStringLiteral("check");
const QString kConcurrency = QStringLiteral("concurrency");
const QString kDone = QStringLiteral("Done!");

// The stored form of a missing "au": the scrambled text of "0".
const QString kAuthStoredDefault = QStringLiteral("6330");

// A 16-bit integer from its stored text; anything else (a hand-edited word,
// a number out of range) gives the fallback rather than a half-read setting.
qint16 toInt16(const QString& text, qint16 fallback) {
  bool ok = false;
  const int value = text.trimmed().toInt(&ok);
  if (!ok || value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max()) return fallback;
  return static_cast<qint16>(value);
}

QString readText(const mINI& ini, const QString& section, const QString& key, const QString& fallback) {
  return ini.ReadINI(section, key, fallback).valueOr(fallback);
}

qint16 readInt16(const mINI& ini, const QString& section, const QString& key, qint16 fallback) {
  return toInt16(readText(ini, section, key, QString::number(fallback)), fallback);
}

QString scrambled(const QString& text) { return util::EncodeText(text, true); }
QString unscrambled(const QString& text) { return util::EncodeText(text, false); }

}  // namespace

mSettings::mSettings(const AppPaths& paths, UserMessages& messages)
    : paths_(paths), configFile_(paths.appCfg()), messages_(messages) {
  soundFile = defaultSoundFile();
}

QString mSettings::defaultSoundFile() const { return paths_.notifyWav(); }

QString mSettings::startupProgram() const {
#ifdef Q_OS_WIN
  const QString program = QStringLiteral("tidewell.exe");
#else
  const QString program = QStringLiteral("tidewell");
#endif
  const QString folder = paths_.programFolder().isEmpty() ? paths_.appFolder() : paths_.programFolder();
  return QDir::toNativeSeparators(QDir(folder).filePath(program));
}

const QStringList& mSettings::intervalTexts() {
  static const QStringList texts = {QStringLiteral("Every 5 Min"),  QStringLiteral("Every 10 Min"),
                                    QStringLiteral("Every 15 Min"), QStringLiteral("Every 30 Min"),
                                    QStringLiteral("Every 45 Min"), QStringLiteral("Every 1 Hour"),
                                    QStringLiteral("Every 3 Hour")};
  return texts;
}

int mSettings::intervalMilliseconds(int index) {
  static constexpr int kMilliseconds[kIntervalCount] = {300000, 600000, 900000, 1800000, 2700000, 3600000, 10800000};
  return isValidInterval(index) ? kMilliseconds[index] : 0;
}

QString mSettings::formatScheduleEntry(const ScheduleEntry& entry) {
  return QString::number(entry.feedType) + kEntrySeparator + entry.feedId + kEntrySeparator + entry.url +
         kEntrySeparator + entry.caption;
}

Result<ScheduleEntry> mSettings::parseScheduleEntry(const QString& value) {
  const QStringList parts = value.split(kEntrySeparator);
  if (value.isEmpty() || parts.size() < 4) {
    return Result<ScheduleEntry>::failure({9, QStringLiteral("mSettings"),
                                           QStringLiteral("Subscript out of range: the entry has %1 of its 4 fields")
                                               .arg(value.isEmpty() ? 0 : parts.size())});
  }
  bool ok = false;
  const int type = parts[0].trimmed().toInt(&ok);
  if (!ok) {
    return Result<ScheduleEntry>::failure(
        {13, QStringLiteral("mSettings"), QStringLiteral("Type mismatch: the feed type is not a number")});
  }
  if (type < std::numeric_limits<qint16>::min() || type > std::numeric_limits<qint16>::max()) {
    return Result<ScheduleEntry>::failure({6, QStringLiteral("mSettings"), QStringLiteral("Overflow: the feed type")});
  }
  ScheduleEntry entry;
  entry.feedType = static_cast<qint16>(type);
  entry.feedId = parts[1];
  entry.url = parts[2];
  entry.caption = parts[3];
  return entry;
}

// ---- e-mail ---------------------------------------------------------------

QString mSettings::passwordAccount() const { return QStringLiteral("smtp ") + configFile_; }

Status mSettings::SaveEmailSettings(bool showMessage) {
  mINI ini;
  ini.SetINIFile(configFile_, kBufferSize);
  // The keyring takes the password when it is running; a password stored
  // here before moves there with this save.
  const bool wasInKeyring = readText(ini, kEmail, QStringLiteral("pwk"), {}) == QLatin1String("1");
  const bool inKeyring = vault_ != nullptr && vault_->available() && vault_->write(passwordAccount(), smtpPassword);
  // Without a keyring and without a new password, one kept there stays there.
  const bool keepKeyring = !inKeyring && wasInKeyring && smtpPassword.isEmpty();
  const QString storedPassword = inKeyring || keepKeyring ? QString() : smtpPassword;
  const std::pair<const char*, QString> values[] = {
      {"sv", smtpServer}, {"po", smtpPort},       {"au", QString::number(smtpAuth)},
      {"us", smtpUser},   {"pw", storedPassword}, {"fn", senderName},
      {"fe", senderEmail}};
  int step = 0;
  for (const auto& [key, value] : values) {
    ++step;
    Status written = ini.WriteINI(kEmail, QString::fromLatin1(key), scrambled(value));
    // A settings file that could not be written must not be announced as saved.
    if (!written) {
      reportRuntimeError(messages_, QStringLiteral("SaveEmailSettings"), step, written.error());
      return written;
    }
  }
  // A consent belongs to one unencrypted login; choosing encryption or no
  // login ends it, and coming back asks again.
  if (smtpSecurity != SmtpSecurity::None || smtpAuth == 0) plainLoginAllowed.clear();
  {
    Status written = ini.WriteINI(kEmail, QStringLiteral("sec"), smtpSecurityName(smtpSecurity));
    if (!written) {
      reportRuntimeError(messages_, QStringLiteral("SaveEmailSettings"), step + 1, written.error());
      return written;
    }
  }
  if (!plainLoginAllowed.isEmpty() || !readText(ini, kEmail, QStringLiteral("plainok"), {}).isEmpty()) {
    Status written = ini.WriteINI(kEmail, QStringLiteral("plainok"), plainLoginAllowed);
    if (!written) {
      reportRuntimeError(messages_, QStringLiteral("SaveEmailSettings"), step + 2, written.error());
      return written;
    }
  }
  // Written only once the keyring was used, so a file that never saw one keeps its layout.
  if (inKeyring || keepKeyring || wasInKeyring) {
    Status written = ini.WriteINI(kEmail, QStringLiteral("pwk"),
                                  inKeyring || keepKeyring ? QStringLiteral("1") : QStringLiteral("0"));
    if (!written) {
      reportRuntimeError(messages_, QStringLiteral("SaveEmailSettings"), step + 3, written.error());
      return written;
    }
  }
  if (showMessage) {
    messages_.showMessage(QStringLiteral("Email Settings are Successfully Saved!"), kDone, MessageIcon::Information);
  }
  return Status::success();
}

void mSettings::LoadEmailSettings() {
  mINI ini;
  ini.SetINIFile(configFile_, kBufferSize);
  smtpServer = unscrambled(readText(ini, kEmail, QStringLiteral("sv"), {}));
  smtpPort = unscrambled(readText(ini, kEmail, QStringLiteral("po"), {}));
  smtpAuth = toInt16(unscrambled(readText(ini, kEmail, QStringLiteral("au"), kAuthStoredDefault)), 0);
  smtpUser = unscrambled(readText(ini, kEmail, QStringLiteral("us"), {}));
  smtpPassword = unscrambled(readText(ini, kEmail, QStringLiteral("pw"), {}));
  if (readText(ini, kEmail, QStringLiteral("pwk"), {}) == QLatin1String("1") && vault_ != nullptr) {
    smtpPassword = vault_->read(passwordAccount()).value_or(QString());
  }
  senderName = unscrambled(readText(ini, kEmail, QStringLiteral("fn"), {}));
  senderEmail = unscrambled(readText(ini, kEmail, QStringLiteral("fe"), {}));
  // A file that never had a server gets the safe choice; one that had gets
  // what keeps it working (legacySmtpSecurity).
  const SmtpSecurity unchosen =
      util::IsBlank(smtpServer) ? SmtpSecurity::StartTls : legacySmtpSecurity(smtpPort, smtpAuth != 0);
  smtpSecurity = parseSmtpSecurity(readText(ini, kEmail, QStringLiteral("sec"), {})).value_or(unchosen);
  plainLoginAllowed = readText(ini, kEmail, QStringLiteral("plainok"), {}).trimmed();
}

bool mSettings::plainLoginNeedsConsent() const {
  return tidewell::plainLoginNeedsConsent(smtpSecurity, smtpAuth != 0, smtpServer, smtpPort, smtpUser,
                                          plainLoginAllowed);
}

Status mSettings::SavePlainLoginConsent() {
  plainLoginAllowed = plainLoginFingerprint(smtpServer, smtpPort, smtpUser);
  mINI ini;
  ini.SetINIFile(configFile_, kBufferSize);
  Status written = ini.WriteINI(kEmail, QStringLiteral("plainok"), plainLoginAllowed);
  if (!written) reportRuntimeError(messages_, QStringLiteral("SavePlainLoginConsent"), 1, written.error());
  return written;
}

// ---- application ------------------------------------------------------------

Status mSettings::SaveAppSettings(bool showMessage) {
  mINI ini;
  ini.SetINIFile(configFile_, kBufferSize);
  const std::pair<const char*, qint16> values[] = {
      {"autos", startWithSystem}, {"close", closeExits}, {"mins", closeMinimizes}, {"pics", remotePictures}};
  int step = 0;
  for (const auto& [key, value] : values) {
    ++step;
    Status written = ini.WriteINI(kApp, QString::fromLatin1(key), QString::number(value));
    if (!written) {
      reportRuntimeError(messages_, QStringLiteral("SaveAppSettings"), step, written.error());
      return written;
    }
  }
  // Written once the user has chosen, so an untouched file keeps its layout.
  if (popupNotifications != readInt16(ini, kApp, QStringLiteral("popup"), 0)) {
    Status written = ini.WriteINI(kApp, QStringLiteral("popup"), QString::number(popupNotifications));
    if (!written) {
      reportRuntimeError(messages_, QStringLiteral("SaveAppSettings"), step + 1, written.error());
      return written;
    }
  }
  if (showMessage) {
    messages_.showMessage(QStringLiteral("Application Settings successfully saved to Application Configuration File."),
                          kDone, MessageIcon::Information);
  }
  // A start-up entry that cannot be written or removed is not the user's to fix here.
  util::SetStartupOption(kStartupValueName, startupProgram(), kStartupArgument, startWithSystem == 1, autostartFolder_);
  return Status::success();
}

void mSettings::LoadAppSettings() {
  mINI ini;
  ini.SetINIFile(configFile_, kBufferSize);
  startWithSystem = readInt16(ini, kApp, QStringLiteral("autos"), 0);
  closeExits = readInt16(ini, kApp, QStringLiteral("close"), 0);
  closeMinimizes = readInt16(ini, kApp, QStringLiteral("mins"), 1);
  popupNotifications = readInt16(ini, kApp, QStringLiteral("popup"), 0);
  remotePictures = readInt16(ini, kApp, QStringLiteral("pics"), 1);
}

Status mSettings::SaveProxySettings() {
  mINI ini;
  ini.SetINIFile(configFile_, kBufferSize);
  // An untouched file keeps its layout: the section appears once a proxy was chosen.
  const bool hadSection = !readText(ini, kProxy, QStringLiteral("mode"), {}).isEmpty();
  if (!hadSection && proxy == ProxyConfig()) return Status::success();
  const std::pair<const char*, QString> values[] = {{"mode", QString::number(static_cast<int>(proxy.mode))},
                                                    {"host", proxy.host.trimmed()},
                                                    {"port", QString::number(proxy.port)},
                                                    {"user", proxy.user}};
  int step = 0;
  for (const auto& [key, value] : values) {
    ++step;
    Status written = ini.WriteINI(kProxy, QString::fromLatin1(key), value);
    if (!written) {
      reportRuntimeError(messages_, QStringLiteral("SaveProxySettings"), step, written.error());
      return written;
    }
  }
  return Status::success();
}

void mSettings::LoadProxySettings() {
  mINI ini;
  ini.SetINIFile(configFile_, kBufferSize);
  const int mode = readInt16(ini, kProxy, QStringLiteral("mode"), 0);
  proxy.mode = mode == 1 ? ProxyConfig::Mode::Http : mode == 2 ? ProxyConfig::Mode::Socks5 : ProxyConfig::Mode::System;
  proxy.host = readText(ini, kProxy, QStringLiteral("host"), {}).trimmed();
  bool number = false;
  const int port = readText(ini, kProxy, QStringLiteral("port"), {}).trimmed().toInt(&number);
  proxy.port = number && port > 0 && port < 65536 ? port : 0;
  proxy.user = readText(ini, kProxy, QStringLiteral("user"), {});
}

bool mSettings::GetConfirmClose() {
  mINI ini;
  ini.SetINIFile(configFile_, kBufferSize);
  confirmClose = readInt16(ini, kApp, QStringLiteral("confirm"), 1) == 1;
  return confirmClose;
}

void mSettings::SetConfirmClose(bool value) {
  mINI ini;
  ini.SetINIFile(configFile_, kBufferSize);
  (void)ini.WriteINI(kApp, QStringLiteral("confirm"), value ? QStringLiteral("1") : QStringLiteral("0"));
  confirmClose = value;
}

bool mSettings::GetCloseOnExit() {
  mINI ini;
  ini.SetINIFile(configFile_, kBufferSize);
  closeExits = readInt16(ini, kApp, QStringLiteral("close"), 1);
  return closeExits == 1;
}

// ---- scheduler ----------------------------------------------------------------

Status mSettings::SaveSchedulerSettings(bool showMessage) {
  mINI ini;
  ini.SetINIFile(configFile_, kBufferSize);
  const QString operation = QStringLiteral("SaveSchedulerSettings");
  int step = 2;
  // One write replaces the whole section (the old list's keys go with it):
  // removing the section first and writing it in a second save left the
  // file without any schedule list when the second save failed (disk full).
  // One write for all keys also keeps a long schedule list fast.
  Status status = Status::success();
  QList<IniEntry> entries = {{QStringLiteral("ena"), QString::number(schedulerEnabled)},
                             {QStringLiteral("frq"), QString::number(interval)},
                             {QStringLiteral("alr"), QString::number(notify)},
                             {QStringLiteral("snd"), QString::number(playSound)},
                             {QStringLiteral("sfl"), soundFile}};
  entries.reserve(entries.size() + scheduleList.size());
  for (qsizetype i = 0; i < scheduleList.size(); ++i) {
    entries.push_back({QStringLiteral("s_") + QString::number(i + 1), formatScheduleEntry(scheduleList[i])});
  }
  if (status) status = ini.WriteSection(kSchdl, entries);
  if (status) {
    step = 20;
    const QString stored = readText(ini, kCheck, kConcurrency, QString::number(kDefaultDownloadConcurrency));
    if (toInt16(stored, kDefaultDownloadConcurrency) != downloadConcurrency) {
      status = ini.WriteINI(kCheck, kConcurrency, QString::number(downloadConcurrency));
    }
  }
  if (!status) {
    reportRuntimeError(messages_, operation, step, status.error());
  } else if (showMessage) {
    messages_.showMessage(
        QStringLiteral("Scheduler Settings are Successfully saved to Application Configuration file!"), kDone,
        MessageIcon::Information);
  }
  // The timer follows what is in memory, saved or not.
  if (schedulerSaved_) schedulerSaved_();
  return status;
}

Status mSettings::LoadSchedulerSettings(bool loadList) {
  mINI ini;
  ini.SetINIFile(configFile_, kBufferSize);
  scheduleList.clear();

  schedulerEnabled = readInt16(ini, kSchdl, QStringLiteral("ena"), 0);
  interval = readInt16(ini, kSchdl, QStringLiteral("frq"), kNoInterval);
  // An index the interval list does not have would arm the timer with nothing sensible.
  if (!isValidInterval(interval)) interval = kNoInterval;
  notify = readInt16(ini, kSchdl, QStringLiteral("alr"), 1);
  playSound = readInt16(ini, kSchdl, QStringLiteral("snd"), 0);
  soundFile = readText(ini, kSchdl, QStringLiteral("sfl"), defaultSoundFile());
  const int concurrency = readInt16(ini, kCheck, kConcurrency, kDefaultDownloadConcurrency);
  downloadConcurrency =
      concurrency >= 1 && concurrency <= kMaxDownloadConcurrency ? concurrency : kDefaultDownloadConcurrency;
  if (!loadList) return Status::success();

  const QString operation = QStringLiteral("LoadSchedulerSettings");
  // The key names of a long list outgrow the value buffer (about 750 entries
  // fill 5000 characters) and would come back cut short, silently dropping
  // feeds; the names can never be longer than the file itself.
  mINI names;
  const qint64 fileSize = QFileInfo(configFile_).size();
  names.SetINIFile(configFile_, static_cast<int>(std::clamp<qint64>(fileSize + 2, kBufferSize, INT_MAX)));
  const Result<QString> keys = names.GetSectionKeys(kSchdl);
  if (!keys) {
    reportRuntimeError(messages_, operation, 3, keys.error());
    return Status::failure(keys.error());
  }
  // Every entry is loaded, however long the list: a cap here would leave a
  // user with many scheduled feeds a scheduler that silently checks nothing.
  int n = 0;
  for (const QString& name : keys.value().split(QChar(0), Qt::SkipEmptyParts)) {
    if (!name.contains(QLatin1Char('_'))) continue;
    ++n;
    const QString key = QStringLiteral("s_") + QString::number(n);
    const Result<QString> value = ini.ReadINI(kSchdl, key, {});
    Result<ScheduleEntry> entry =
        value ? parseScheduleEntry(value.value()) : Result<ScheduleEntry>::failure(value.error());
    if (!entry) {
      ErrorInfo error = entry.error();
      error.description += QStringLiteral(" (key \"%1\")").arg(key);
      reportRuntimeError(messages_, operation, 3, error);
      return Status::failure(error);
    }
    scheduleList.append(std::move(entry).value());
  }
  return Status::success();
}

void mSettings::LoadRetentionSettings() {
  mINI ini;
  ini.SetINIFile(configFile_, kBufferSize);
  const QString section = QStringLiteral("retention");
  bool ok = false;
  const int keep = readText(ini, section, QStringLiteral("keep"), QStringLiteral("0")).trimmed().toInt(&ok);
  retentionKeep = ok && keep > 0 ? keep : 0;
  const int days = readText(ini, section, QStringLiteral("days"), QStringLiteral("0")).trimmed().toInt(&ok);
  retentionDays = ok && days > 0 ? days : 0;
  retentionIncludeUnread = readInt16(ini, section, QStringLiteral("unread"), 0) == 1;
}

Status mSettings::SaveRetentionSettings() {
  mINI ini;
  ini.SetINIFile(configFile_, kBufferSize);
  const QString section = QStringLiteral("retention");
  const std::pair<const char*, QString> values[] = {
      {"keep", QString::number(qMax(0, retentionKeep))},
      {"days", QString::number(qMax(0, retentionDays))},
      {"unread", retentionIncludeUnread ? QStringLiteral("1") : QStringLiteral("0")}};
  int step = 0;
  for (const auto& [key, value] : values) {
    ++step;
    Status written = ini.WriteINI(section, QString::fromLatin1(key), value);
    if (!written) {
      reportRuntimeError(messages_, QStringLiteral("SaveRetentionSettings"), step, written.error());
      return written;
    }
  }
  return Status::success();
}

}  // namespace tidewell
