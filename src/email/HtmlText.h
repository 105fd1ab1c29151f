#pragma once

#include <QString>

namespace tidewell {

// The text a reader sees of an HTML mail body, for its plain-text part:
// scripts and styles dropped, block ends and <br> as line breaks, list items
// as "- " lines, links followed by their address in angle brackets, the
// other tags removed, entities decoded, blank runs collapsed and at most one
// empty line in a row.
QString HtmlToPlainText(const QString& html);

}  // namespace tidewell
