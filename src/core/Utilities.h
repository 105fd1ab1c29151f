#pragma once

#include <QString>

namespace tidewell {

class UserMessages;

// Small stateless helpers shared by the whole program.
namespace util {

// Path with a trailing separator ("/" here, "\" on Windows) added when missing.
QString AddSlash(const QString& path);
// True when exactly this path names a file (no wildcard expansion).
bool FileExists(const QString& path);
// True when exactly this path names a folder.
bool DirExists(const QString& path);
// True when the text is empty after trimming blanks.
bool IsBlank(const QString& text);
// Replaces the file atomically with text + line break, as UTF-8. A failure is
// reported through messages when given ("Error ! : <reason>").
bool WriteTextFile(const QString& path, const QString& text, UserMessages* messages = nullptr);
// The whole file as UTF-8, or Windows-1252 where its bytes are not valid UTF-8.
QString ReadTextFile(const QString& path, UserMessages* messages = nullptr);
// Decodes bytes as UTF-8, falling back to Windows-1252 when they are not valid UTF-8.
QString DecodeLegacyText(const QByteArray& bytes);
// No shared cache is kept and every request says "Cache-Control: no-cache",
// so there is nothing to clear; kept so callers read as the design says.
void ClearUrlCache(const QString& url);
// Asks the platform's network information when a backend exists; otherwise true.
bool IsConnected();
// 36 characters, upper-case hex groups 8-4-4-4-12, bytes in memory order.
QString NewFeedID();
// Writes (enable) or removes the start-up entry that runs programPath with
// arguments at log-in: an XDG autostart file "<valueName>.desktop" on Linux
// (in autostartFolder when given, for tests), the per-user Run key on Windows.
bool SetStartupOption(const QString& valueName, const QString& programPath, const QString& arguments, bool enable,
                      const QString& autostartFolder = {});
bool StartupOptionExists(const QString& valueName, const QString& autostartFolder = {});
// "01".."12" for a month name: the current locale's and the English full and
// abbreviated names; full names compare trimmed. "" when no month matches.
QString MonthNumber(const QString& name);
// The English three-letter abbreviation for "01".."12" ("" otherwise).
QString EnglishMonthAbbreviation(int month);
// Reversible scrambling of setting texts over the UTF-8 bytes: each byte * 7
// as four digits, reversed. "abc" <-> "976068603960".
QString EncodeText(const QString& text, bool encode);

}  // namespace util
}  // namespace tidewell
