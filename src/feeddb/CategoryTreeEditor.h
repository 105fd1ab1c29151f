#pragma once

#include "core/AppPaths.h"
#include "core/UserMessages.h"
#include "feeddb/FeedRecord.h"

#include <QString>

namespace tidewell {

// The rules of the category tree's label edits and feed moves, without the
// widget: the tree panel and the command-line tool both go through here so
// they refuse and ask the same things.
class CategoryTreeEditor {
 public:
  enum class Outcome {
    Done,       // the database changed; the node takes the new text / the tree reloads
    Cancelled,  // nothing to do (blank or unchanged name, answered No, same category)
    Refused,    // a message said why; nothing changed
  };

  CategoryTreeEditor(const AppPaths& paths, UserMessages& messages);

  // A category node's label edited from currentText to newText.
  Outcome RenameCategory(const QString& currentText, const QString& newText);
  // A feed node's label edited: feed holds the node as it is (name = current
  // text, category = parent's text, id, type, URL).
  Outcome RenameFeed(const FeedRecord& feed, const QString& newText);
  // A feed dropped on the category node targetCategory: asks, refuses a
  // target that already has a feed of the same name or URL, then moves.
  Outcome MoveFeed(const FeedRecord& feed, const QString& targetCategory);

 private:
  // The checks shared by both label edits; Done means "go ahead".
  Outcome checkNewLabel(const QString& currentText, const QString& newText);

  AppPaths paths_;
  UserMessages& messages_;
};

}  // namespace tidewell
