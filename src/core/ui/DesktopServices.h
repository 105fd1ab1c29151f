#pragma once

#include <QString>

namespace tidewell {

// Opens a web address, a "mailto:" link or a file with the user's default program.
bool OpenUrl(const QString& target);

}  // namespace tidewell
