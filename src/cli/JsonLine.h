#pragma once

#include <QByteArray>
#include <QString>

#include <initializer_list>
#include <utility>

namespace tidewell::cli {

// Appends one JSON object on one line (keys in the given order, values as
// strings) and a line break to out, as UTF-8. Written straight into the
// output buffer: a large feed prints as fast as it parses.
void appendJsonLine(QByteArray& out, std::initializer_list<std::pair<const char*, QString>> fields);

// text as a quoted JSON string, appended to out.
void appendJsonString(QByteArray& out, const QString& text);

}  // namespace tidewell::cli
