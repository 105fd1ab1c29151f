#include "feeds/StoreStatusPatch.h"

#include "feeds/ItemStore.h"

#include <QByteArrayView>
#include <QFile>
#include <QSaveFile>

#include <string>
#include <string_view>

namespace tidewell {

namespace {

bool plainId(const QByteArray& id) {
  for (char c : id) {
    if (c == '&' || c == '<' || c == '>' || c == '"' || c == '\'') return false;
  }
  return true;
}

bool endsWithDataClose(QByteArrayView bytes) {
  while (!bytes.isEmpty() &&
         (bytes.back() == '\n' || bytes.back() == '\r' || bytes.back() == ' ' || bytes.back() == '\t')) {
    bytes.chop(1);
  }
  return bytes.endsWith("</data>");
}

// Searches run through std::string_view, whose find() is far quicker on a
// large store than QByteArray's for these needles.
std::string_view view(const QByteArray& bytes) { return {bytes.constData(), static_cast<size_t>(bytes.size())}; }

// Where the status value of the occurrence-th item with id starts and how
// long it is; false when the item is not found in the expected shape.
bool findStatus(const QByteArray& bytes, const QByteArray& id, int occurrence, qsizetype& at, qsizetype& length) {
  const std::string_view text = view(bytes);
  const std::string needle = "<item id=\"" + id.toStdString() + "\"";
  size_t from = 0;
  for (;;) {
    const size_t tag = text.find(needle, from);
    if (tag == std::string_view::npos) return false;
    from = tag + needle.size();
    const char next = from < text.size() ? text[from] : '\0';
    if (next != ' ' && next != '>' && next != '/') continue;  // a longer id
    if (occurrence-- > 0) continue;
    constexpr std::string_view status = " status=\"";
    if (text.substr(from, status.size()) != status) return false;
    const size_t close = text.find('"', from + status.size());
    if (close == std::string_view::npos) return false;
    at = static_cast<qsizetype>(from) + static_cast<qsizetype>(status.size());
    length = static_cast<qsizetype>(close) - at;
    return true;
  }
}

}  // namespace

StoreStatusPatch::Outcome StoreStatusPatch::apply(const QString& path, const ItemRef& item, const char* status,
                                                  ErrorInfo* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return Outcome::NotApplicable;
  QByteArray bytes = file.readAll();
  file.close();
  const QByteArray id = item.id.toUtf8();
  if (!bytes.startsWith("<data><items>") || !endsWithDataClose(bytes) || !plainId(id)) return Outcome::NotApplicable;
  // Every "<" starts a tag only without comments, CDATA, declarations and processing instructions.
  const std::string_view text = view(bytes);
  if (text.find("<!") != std::string_view::npos || text.find("<?") != std::string_view::npos) {
    return Outcome::NotApplicable;
  }
  qsizetype at = 0;
  qsizetype length = 0;
  if (!findStatus(bytes, id, item.occurrence, at, length)) return Outcome::NotApplicable;
  if (QByteArrayView(bytes).sliced(at, length) == QByteArrayView(status)) return Outcome::Unchanged;
  bytes.replace(at, length, status);

  // Unbuffered, so a short write (full disk) shows in write()'s count.
  QSaveFile out(path);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    if (error) *error = {1, QStringLiteral("ItemStore"), out.errorString()};
    return Outcome::SaveFailed;
  }
  if (out.write(bytes) != bytes.size() || !out.commit()) {
    if (error) *error = {2, QStringLiteral("ItemStore"), out.errorString()};
    out.cancelWriting();
    return Outcome::SaveFailed;
  }
  return Outcome::Saved;
}

}  // namespace tidewell
