#pragma once

#include <QString>

namespace tidewell {

// The words of an item's HTML body as a search sees them: tags (and the
// content of script and style elements) dropped, character references
// decoded, so "<b>har</b>bour" is found as "harbour" and "caf&eacute;" as
// "café", while "a<br>b" stays two words.
QString SearchableText(const QString& html);

}  // namespace tidewell
