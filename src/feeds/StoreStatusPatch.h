#pragma once

#include "core/Result.h"

#include <QByteArray>
#include <QString>

namespace tidewell {

struct ItemRef;

// The quick way to change one item's status, the store's most frequent
// write: the new status is put into the file's bytes where the item's tag
// stands, without building and printing the whole document, and the file is
// saved atomically as every store save is.
//
// It only takes files laid out as this program writes them: starting with
// <data><items>, ending with </data>, without comments, CDATA or
// processing instructions (so every "<" starts a tag), the item's id as its
// first attribute and status as its second. Anything else is left to the
// document path, which also reports damaged files. Only ASCII bytes of the
// status value change, so the file's encoding stays whatever it was.
class StoreStatusPatch {
 public:
  enum class Outcome {
    NotApplicable,  // use the document path
    Unchanged,      // the item already has that status; nothing written
    Saved,
    SaveFailed,  // error() says why; the file is unchanged
  };

  // Call with the store's lock held.
  static Outcome apply(const QString& path, const ItemRef& item, const char* status, ErrorInfo* error = nullptr);
};

}  // namespace tidewell
