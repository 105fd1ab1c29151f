#pragma once

#include "core/UserMessages.h"
#include "feeddb/FeedRecord.h"

#include <QString>

#include <pugixml.hpp>

#include <optional>

namespace tidewell {

// One operation's view of feeds.fdb: loads and validates the file, finds
// categories and feeds by the database's matching rules, and saves the whole
// document atomically. Lives only for the length of one operation; every
// problem is reported once, under the operation's name.
class FeedsDocument {
 public:
  // Step numbers shown in "Error on Line <step>" reports.
  enum Step {
    kStepCreate = 1,   // writing "<categories/>" for a missing file
    kStepRead = 2,     // reading the file's bytes
    kStepRecords = 3,  // checking every category and feed record
    kStepWork = 4,     // the operation's own change
    kStepSave = 5,     // writing the document back
  };

  // Children are walked with a 16-bit signed index, so no more than this
  // many categories (or feeds in one category) can be read back.
  static constexpr int kMaxChildren = 32767;

  FeedsDocument(QString path, UserMessages& messages, QString operation);

  // Creates the file when missing, parses it and finds the first `categories`
  // element anywhere in it, then checks every record the operations read:
  // a category needs its name attribute, a feed three attributes and a
  // numeric type. Reports and returns false on any problem.
  bool load();

  pugi::xml_node categories() const { return categories_; }

  // The first category whose name equals name, case-insensitively.
  pugi::xml_node findCategory(const QString& name) const;
  // The first feed of category whose id equals id exactly.
  pugi::xml_node findFeed(pugi::xml_node category, const QString& id) const;

  // Appends a category / feed after checking the names are storable and the
  // parent has room; reports a run-time error and returns an empty node
  // otherwise.
  pugi::xml_node appendCategory(const QString& name);
  pugi::xml_node appendFeed(pugi::xml_node category, const FeedRecord& record);
  // Writes name, type and URL of an existing feed in place.
  bool updateFeed(pugi::xml_node feed, const FeedRecord& record);
  // Sets a category's name (its first attribute, as readers see it).
  bool renameCategory(pugi::xml_node category, const QString& name);
  // True when parent can take one more child; reports otherwise.
  bool hasRoomFor(pugi::xml_node parent);

  // Writes the document back atomically; the old file stays whole on failure.
  bool save();

  void reportRuntimeError(int step, const QString& description);

  // Element children that count as categories / feeds.
  static bool isCategory(pugi::xml_node node);
  static bool isFeed(pugi::xml_node node);
  // A record's fields as the readers take them (by position).
  static QString categoryName(pugi::xml_node category);
  static QString feedName(pugi::xml_node feed);
  static QString feedId(pugi::xml_node feed);
  static QString feedUrl(pugi::xml_node feed);
  static std::optional<qint16> feedTypeCode(pugi::xml_node feed);
  static FeedRecord feedRecord(pugi::xml_node category, pugi::xml_node feed);

 private:
  bool parse(const QByteArray& bytes);
  bool checkRecords();
  bool checkStorable(const QString& what, const QString& text);

  QString path_;
  UserMessages& messages_;
  QString operation_;
  pugi::xml_document document_;
  pugi::xml_node categories_;
};

}  // namespace tidewell
