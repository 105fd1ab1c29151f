#pragma once

#include "core/AppPaths.h"
#include "core/UserMessages.h"
#include "feeddb/CategoryTree.h"

#include <QString>
#include <QStringList>

namespace tidewell {

// The category operations on feeds.fdb. Every call loads the file afresh,
// works on it, saves it atomically when it changed and keeps nothing: changes
// made by one call (or by another program) are seen by the next. Problems are
// reported through the messages given at construction; a call that fails
// returns false and leaves the file as it was.
class mCategories {
 public:
  mCategories(const AppPaths& paths, UserMessages& messages);
  mCategories(QString feedsDbPath, UserMessages& messages);

  // Appends a category; an existing one of the same name is not looked for.
  bool AddCategory(const QString& name);
  // True when some category's name equals name, case-insensitively.
  bool CategoryExists(const QString& name);
  // Renames the first category named oldName (case-insensitively); false
  // without a message when there is none. newName is not checked for use.
  bool EditCategory(const QString& oldName, const QString& newName);
  // Removes the first category of that name with all its feeds; their item
  // stores stay on disk. False without a message when there is none.
  bool DeleteCategory(const QString& name);
  // Fills the tree (first cleared to its root). On a failure the message is
  // shown and the tree keeps only the root.
  bool LoadCategories(CategoryTree& tree);
  // Fills a combo box's list: the category names in file order.
  bool LoadCategories(QStringList& comboItems);

  const QString& feedsDbPath() const { return path_; }

 private:
  QString path_;
  UserMessages& messages_;
};

}  // namespace tidewell
