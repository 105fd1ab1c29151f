#pragma once

#include "core/Result.h"

#include <QList>
#include <QString>

namespace tidewell {

struct IniEntry {
  QString key;
  QString value;
  bool operator==(const IniEntry&) const = default;
};

// The INI layer every AppCfg.cfg access goes through. Section and key names
// compare case-insensitively; anything missing reads as the default; a write
// creates file, section and key as needed and keeps every line it does not own
// (comments, other sections, key order). Line breaks in values are stored as
// the literal "%%&&Chr(13)&&%%". Every write replaces the file atomically.
//
// Each operation first checks the module state and fails with error 670
// ("Buffer size not set" / "Filename not set", source "INIReadWrite").
class mINI {
 public:
  static constexpr int kStateError = 670;

  void SetINIFile(const QString& fileName, int bufferSize);

  // A stored value longer than buffer size - 1 characters comes back truncated.
  Result<QString> ReadINI(const QString& section, const QString& key, const QString& defaultValue) const;
  // The value is escaped in place, as callers of the original layer saw it.
  // A file that cannot be written fails with number 0 and the system's reason.
  Status WriteINI(const QString& section, const QString& key, QString& value);
  Status WriteINI(const QString& section, const QString& key, const QString& value);
  // Key names joined by NUL, without a trailing NUL; "" for a missing or empty section.
  Result<QString> GetSectionKeys(const QString& section) const;
  Status DeleteSection(const QString& section);

  // Every key of the section with its value, in file order, in one read of
  // the file (values unescaped and truncated as ReadINI does; the list itself
  // is not cut to the buffer size). Empty for a missing section.
  Result<QList<IniEntry>> ReadSection(const QString& section) const;
  // Replaces all keys of the section with these, in order, in one atomic write
  // (no entries: the section is removed). Comment lines inside it stay.
  Status WriteSection(const QString& section, const QList<IniEntry>& entries);

  const QString& fileName() const { return fileName_; }
  int bufferSize() const { return bufferSize_; }

 private:
  QString fileName_;
  int bufferSize_ = 0;
};

}  // namespace tidewell
