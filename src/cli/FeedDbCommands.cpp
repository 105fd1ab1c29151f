#include "cli/FeedDbCommands.h"

#include "app/AppContext.h"
#include "cli/CliCommand.h"
#include "core/StderrMessages.h"
#include "core/Utilities.h"
#include "feeddb/CategoryTree.h"
#include "feeddb/CategoryTreeEditor.h"
#include "feeddb/FeedDbTexts.h"
#include "feeddb/FeedType.h"
#include "feeddb/mCategories.h"
#include "feeddb/mFeeds.h"
#include "feeds/FeedIcons.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>

namespace tidewell::cli {

namespace {

// Passes messages on and counts them, so a command can tell an operation that
// failed silently (nothing found) from one that has already said why.
class CountingMessages : public UserMessages {
 public:
  explicit CountingMessages(UserMessages& inner) : inner_(inner) {}
  void showMessage(const QString& text, const QString& title, MessageIcon icon) override {
    ++count_;
    inner_.showMessage(text, title, icon);
  }
  bool askYesNo(const QString& text, const QString& title) override {
    ++count_;
    return inner_.askYesNo(text, title);
  }
  bool askRetryCancel(const QString& text, const QString& title, MessageIcon icon) override {
    ++count_;
    return inner_.askRetryCancel(text, title, icon);
  }
  QString saveFileName(const QString& title, const QString& suggestedName, const QString& filter) override {
    return inner_.saveFileName(title, suggestedName, filter);
  }
  int count() const { return count_; }

 private:
  UserMessages& inner_;
  int count_ = 0;
};

// Positional arguments after the options; nullopt on an unknown option.
// "--" ends the options, so names that start with "--" can still be given.
std::optional<QStringList> positional(const QStringList& args, const QStringList& options, QStringList* given) {
  QStringList out;
  bool optionsDone = false;
  for (const QString& arg : args) {
    if (!optionsDone && arg == QLatin1String("--")) {
      optionsDone = true;
    } else if (!optionsDone && arg.startsWith(QLatin1String("--"))) {
      if (!options.contains(arg)) return std::nullopt;
      if (given) *given << arg;
    } else {
      out << arg;
    }
  }
  return out;
}

void failWith(const QString& command, const QString& reason) {
  printErr(QStringLiteral("tidewell-cli: ") + command + QStringLiteral(": ") + reason);
}

int finish(bool ok) { return ok ? kExitOk : kExitFailed; }

// The stored spelling of a category name, matched as the database matches it.
// nullopt when there is none (said through messages) or the file is unusable.
std::optional<QString> resolveCategory(AppContext& context, UserMessages& messages, const QString& name) {
  QStringList names;
  if (!mCategories(context.paths, messages).LoadCategories(names)) return std::nullopt;
  const QString wanted = name.toLower();
  for (const QString& stored : names) {
    if (stored.toLower() == wanted) return stored;
  }
  messages.showMessage(feeddb_text::moveTargetMissingText(name), feeddb_text::moveTargetMissingTitle(),
                       MessageIcon::Exclamation);
  return std::nullopt;
}

// The feed with this id, or a line saying there is none.
std::optional<FeedRecord> findFeed(AppContext& context, const QString& command, const QString& id) {
  CountingMessages messages(context.messages);
  std::optional<FeedRecord> feed = mFeeds(context.paths, messages).FindFeed(id);
  if (!feed && messages.count() == 0) failWith(command, QStringLiteral("no feed has the id \"%1\"").arg(id));
  return feed;
}

QString typeLabel(int image) {
  switch (feedTypeCode(feedTypeOfImage(image))) {
    case 0: return QStringLiteral("RSS");
    case 1: return QStringLiteral("ATOM");
    case 2: return QStringLiteral("podcast");
    default: return QStringLiteral("type %1").arg(feedTypeCode(feedTypeOfImage(image)));
  }
}

}  // namespace

int runList(AppContext& context, const QStringList& args) {
  QStringList options;
  const auto rest = positional(args, {QStringLiteral("--json")}, &options);
  if (!rest || !rest->isEmpty()) return usageError(QStringLiteral("list"));
  CategoryTree tree;
  if (!mCategories(context.paths, context.messages).LoadCategories(tree)) return kExitFailed;

  if (options.contains(QLatin1String("--json"))) {
    QJsonArray categories;
    for (const CategoryNode& category : tree.root().children) {
      QJsonArray feeds;
      for (const CategoryNode& feed : category.children) {
        QJsonObject entry{{QStringLiteral("name"), feed.text},
                          {QStringLiteral("type"), feedTypeCode(feedTypeOfImage(feed.image))},
                          {QStringLiteral("id"), feed.key},
                          {QStringLiteral("url"), feed.tag}};
        const QString icon = FeedIcons::storedIcon(context.paths, feed.key);
        if (!icon.isEmpty()) entry.insert(QStringLiteral("icon"), icon);
        feeds.append(entry);
      }
      categories.append(QJsonObject{{QStringLiteral("name"), category.text}, {QStringLiteral("feeds"), feeds}});
    }
    const QJsonObject root{{QStringLiteral("categories"), categories}};
    printOut(QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Compact)));
    return kExitOk;
  }

  printOut(tree.root().text);
  for (const CategoryNode& category : tree.root().children) {
    printOut(QStringLiteral("  ") + category.text);
    for (const CategoryNode& feed : category.children) {
      printOut(QStringLiteral("    %1  [%2]  %3  %4").arg(feed.text, typeLabel(feed.image), feed.key, feed.tag));
    }
  }
  return kExitOk;
}

int runAddCategory(AppContext& context, const QStringList& args) {
  const auto rest = positional(args, {}, nullptr);
  if (!rest || rest->size() != 1) return usageError(QStringLiteral("add-category"));
  const QString& name = rest->at(0);
  // The category dialog's rule: a blank name is refused, a repeated one is not.
  if (util::IsBlank(name)) {
    context.messages.showMessage(feeddb_text::categoryNameMissingText(), feeddb_text::categoryNameMissingTitle(),
                                 MessageIcon::Exclamation);
    return kExitFailed;
  }
  return finish(mCategories(context.paths, context.messages).AddCategory(name));
}

int runRenameCategory(AppContext& context, const QStringList& args) {
  const auto rest = positional(args, {}, nullptr);
  if (!rest || rest->size() != 2) return usageError(QStringLiteral("rename-category"));
  const QString& oldName = rest->at(0);
  const QString& newName = rest->at(1);
  switch (CategoryTreeEditor(context.paths, context.messages).RenameCategory(oldName, newName)) {
    case CategoryTreeEditor::Outcome::Done: return kExitOk;
    case CategoryTreeEditor::Outcome::Refused: return kExitFailed;
    case CategoryTreeEditor::Outcome::Cancelled: break;
  }
  failWith(QStringLiteral("rename-category"), util::IsBlank(newName)
                                                  ? QStringLiteral("the new name is blank; nothing changed")
                                                  : QStringLiteral("the new name is the old one; nothing changed"));
  return kExitFailed;
}

int runDeleteCategory(AppContext& context, const QStringList& args) {
  const auto rest = positional(args, {}, nullptr);
  if (!rest || rest->size() != 1) return usageError(QStringLiteral("delete-category"));
  CountingMessages messages(context.messages);
  if (mCategories(context.paths, messages).DeleteCategory(rest->at(0))) return kExitOk;
  if (messages.count() == 0) {
    failWith(QStringLiteral("delete-category"), QStringLiteral("no category is named \"%1\"").arg(rest->at(0)));
  }
  return kExitFailed;
}

int runMoveFeed(AppContext& context, const QStringList& args) {
  QStringList options;
  const auto rest = positional(args, {QStringLiteral("--yes")}, &options);
  if (!rest || rest->size() != 2) return usageError(QStringLiteral("move-feed"));
  const std::optional<FeedRecord> feed = findFeed(context, QStringLiteral("move-feed"), rest->at(0));
  if (!feed) return kExitFailed;
  // The tree only lets a feed be dropped on a category it shows, under the
  // name it shows; a typed name is first matched the way the database does.
  const std::optional<QString> target = resolveCategory(context, context.messages, rest->at(1));
  if (!target) return kExitFailed;
  if (*target == feed->category) {
    failWith(QStringLiteral("move-feed"),
             QStringLiteral("the feed is already in \"%1\"; nothing changed").arg(*target));
    return kExitOk;
  }
  StderrMessages answerYes(true);
  UserMessages& messages = options.contains(QLatin1String("--yes")) ? answerYes : context.messages;
  switch (CategoryTreeEditor(context.paths, messages).MoveFeed(*feed, *target)) {
    case CategoryTreeEditor::Outcome::Done: return kExitOk;
    case CategoryTreeEditor::Outcome::Refused: return kExitFailed;
    case CategoryTreeEditor::Outcome::Cancelled: break;
  }
  failWith(QStringLiteral("move-feed"), QStringLiteral("answered No; nothing changed (--yes answers Yes)"));
  return kExitFailed;
}

int runDeleteFeed(AppContext& context, const QStringList& args) {
  const auto rest = positional(args, {}, nullptr);
  if (!rest || rest->size() != 1) return usageError(QStringLiteral("delete-feed"));
  const std::optional<FeedRecord> feed = findFeed(context, QStringLiteral("delete-feed"), rest->at(0));
  if (!feed) return kExitFailed;
  return finish(mFeeds(context.paths, context.messages).DeleteFeed(*feed));
}

}  // namespace tidewell::cli
