#pragma once

#include "core/AppIdentity.h"
#include "core/AppPaths.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <array>

namespace tidewell {

// The program's one translation service: a table of named messages with
// English defaults, and the translation lines of the language last loaded
// from Localization.txt. The file is read by plain text search, never parsed
// as XML, so a hand-edited file with stray markup still yields what it can.
// Keys compare without regard to case everywhere.
class clsLanguages {
 public:
  static constexpr int kMessageSlots = 201;
  static inline const QString kDefaultLanguage = QStringLiteral("English");

  // Registers the default messages (defaultMessages(), in that order).
  clsLanguages(AppIdentity identity, AppPaths paths);

  // The first free slot takes the message; no duplicate check (lookups find
  // the first); with all 201 slots used the call does nothing.
  void setMessage(const QString& key, const QString& text);
  // The message with "[ProgramName]" and "[CompanyName]" filled in and its
  // first character upper-cased; "" for a key never registered.
  QString getMessages(const QString& key) const;
  // A text in its registered English wording, in the loaded language: the
  // message whose default is the whole text, or whose default (ending in a
  // blank or a colon) begins it, the rest kept as it is. Anything else comes
  // back unchanged.
  QString translate(const QString& english) const;

  // Loads the translation lines of a language (English when the file has no
  // such group) and applies them to the message table: every message with a
  // non-empty translation takes it. The first and last steps of ChangeLanguage;
  // the window part lives in l10n/ui/WindowLocalizer.
  void loadLanguage(const QString& language);
  // Only the loading of the lines, without touching the messages.
  void loadTranslationLines(const QString& language);
  void applyToMessages();

  // Translated text of the loaded language with the three identity tokens
  // filled in and its first character upper-cased; "" when absent.
  QString getCaption(const QString& key) const;

  // Language names of the file's groups, in file order.
  QStringList ListLanguages() const;
  bool LangFileExists() const;
  static QString LangTrimPath(const QString& path);

  // Writes an English group with these (key, text) entries into the
  // application folder's Localization.txt (creating it when missing): it
  // replaces the file's English group, or is appended when there is none.
  bool writeEnglishGroup(const QList<QPair<QString, QString>>& entries) const;
  // A whole file holding only that group.
  static QString englishGroupText(const QList<QPair<QString, QString>>& entries);
  // The file text with its English group replaced (entries first, then the
  // old group's other entries), or the group appended when it has none.
  static QString withEnglishGroup(const QString& existing, const QList<QPair<QString, QString>>& entries);

  // Keys of translation entries.
  static QString controlKey(const QString& window, const QString& control);
  static QString tabKey(const QString& window, const QString& control, int tabFromOne);
  static QString columnKey(const QString& window, const QString& control, int columnFromOne);
  static QString arrayKey(const QString& window, const QString& control, int index);
  static QString windowCaptionKey(const QString& window);
  // "CAPTION_" + window name in upper case: the message a dialog's caption comes from.
  static QString captionMessageKey(const QString& window);

  // Registered at construction, in this order.
  static const QList<QPair<QString, QString>>& defaultMessages();

  const QStringList& translationLines() const { return lines_; }
  int messageCount() const { return used_; }
  QString localizationFile() const;

 private:
  struct Slot {
    QString key;
    QString text;
    QString english;  // the text it was registered with
  };
  QString replaceTokens(QString text, bool website) const;
  QStringList readTranslationLines(const QString& text, const QString& language) const;

  AppIdentity identity_;
  AppPaths paths_;
  std::array<Slot, kMessageSlots> slots_{};
  int used_ = 0;
  QStringList lines_;
};

}  // namespace tidewell
