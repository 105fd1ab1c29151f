#pragma once

#include <QIcon>

namespace tidewell {

// The star of a starred item (filled) and the place of one (outline), drawn
// rather than shipped so that it follows the icon size asked for.
QIcon StarIcon(bool filled);

}  // namespace tidewell
