#include "feeddb/CategoryTreeEditor.h"

#include "core/Utilities.h"
#include "feeddb/FeedDbTexts.h"
#include "feeddb/mCategories.h"
#include "feeddb/mFeeds.h"

namespace tidewell {

CategoryTreeEditor::CategoryTreeEditor(const AppPaths& paths, UserMessages& messages)
    : paths_(paths), messages_(messages) {}

CategoryTreeEditor::Outcome CategoryTreeEditor::checkNewLabel(const QString& currentText, const QString& newText) {
  if (util::IsBlank(newText)) return Outcome::Cancelled;
  if (newText.toLower() == currentText.toLower()) return Outcome::Cancelled;
  // Made for feed labels too: a feed may not take the name of a category.
  if (mCategories(paths_, messages_).CategoryExists(newText)) {
    messages_.showMessage(feeddb_text::categoryExistsText(), feeddb_text::categoryExistsTitle(),
                          MessageIcon::Exclamation);
    return Outcome::Refused;
  }
  return Outcome::Done;
}

CategoryTreeEditor::Outcome CategoryTreeEditor::RenameCategory(const QString& currentText, const QString& newText) {
  const Outcome check = checkNewLabel(currentText, newText);
  if (check != Outcome::Done) return check;
  if (!mCategories(paths_, messages_).EditCategory(currentText, newText)) {
    messages_.showMessage(feeddb_text::renameFailedText(currentText), feeddb_text::renameFailedTitle(),
                          MessageIcon::Exclamation);
    return Outcome::Refused;
  }
  return Outcome::Done;
}

CategoryTreeEditor::Outcome CategoryTreeEditor::RenameFeed(const FeedRecord& feed, const QString& newText) {
  const Outcome check = checkNewLabel(feed.name, newText);
  if (check != Outcome::Done) return check;
  FeedRecord renamed = feed;
  renamed.name = newText;
  return mFeeds(paths_, messages_).EditFeed(renamed, false) ? Outcome::Done : Outcome::Refused;
}

CategoryTreeEditor::Outcome CategoryTreeEditor::MoveFeed(const FeedRecord& feed, const QString& targetCategory) {
  if (targetCategory == feed.category) return Outcome::Cancelled;
  if (!messages_.askYesNo(feeddb_text::changeCategoryText(feed.category, targetCategory),
                          feeddb_text::changeCategoryTitle())) {
    return Outcome::Cancelled;
  }
  mFeeds feeds(paths_, messages_);
  FeedRecord atTarget = feed;
  atTarget.category = targetCategory;
  if (feeds.FeedExists(atTarget)) {
    messages_.showMessage(feeddb_text::feedExistsText(targetCategory), feeddb_text::feedExistsTitle(),
                          MessageIcon::Information);
    return Outcome::Refused;
  }
  return feeds.EditFeed(feed, true, targetCategory) ? Outcome::Done : Outcome::Refused;
}

}  // namespace tidewell
