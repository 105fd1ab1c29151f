#pragma once

#include <QString>

namespace tidewell {

// A file name for an exported item, made from its title: characters that a
// Windows or Linux file name cannot hold become blanks, runs of blanks one,
// leading and trailing blanks and dots go, the name is cut to a length every
// file system takes, and a name Windows reserves (CON, NUL, COM1 ...) gets a
// trailing "_". A title with nothing left gives "item". The extension is
// given without its dot.
QString SuggestExportFileName(const QString& title, const QString& extension);

}  // namespace tidewell
