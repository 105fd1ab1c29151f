#include "l10n/clsLanguages.h"

#include "core/Utilities.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>

namespace tidewell {

namespace {

const QString kGroupOpen = QStringLiteral("<LANGUAGE_GROUP");
const QString kGroupClose = QStringLiteral("</LANGUAGE_GROUP>");
const QString kNameOpen = QStringLiteral("<LANGUAGE_NAME>");
const QString kNameClose = QStringLiteral("</LANGUAGE_NAME>");
const QString kItemsOpen = QStringLiteral("<TRANSLATION_ITEMS>");
const QString kItemsClose = QStringLiteral("</TRANSLATION_ITEMS>");

QString upperFirst(QString text) {
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  return text;
}

// The text between open and close inside [from, to), or a null string when
// open is not there. A missing close takes the rest of the range. Both tags
// are looked for inside the range only: searching on to the end of the file
// for every group made a file of many unclosed groups take minutes.
QString between(const QString& text, const QString& open, const QString& close, qsizetype from, qsizetype to) {
  const QStringView range = QStringView(text).first(to);
  const qsizetype start = range.indexOf(open, from, Qt::CaseInsensitive);
  if (start < 0) return {};
  const qsizetype begin = start + open.size();
  qsizetype end = range.indexOf(close, begin, Qt::CaseInsensitive);
  if (end < 0) end = to;
  return text.mid(begin, end - begin);
}

struct Group {
  QString name;
  qsizetype begin;
  qsizetype end;
};

// The LANGUAGE_GROUP blocks in file order. A group without its closing tag
// runs to the next group or the end of the file, so one forgotten tag costs
// nothing but itself.
QList<Group> languageGroups(const QString& text) {
  QList<Group> groups;
  qsizetype pos = 0;
  while (true) {
    const qsizetype start = text.indexOf(kGroupOpen, pos, Qt::CaseInsensitive);
    if (start < 0) break;
    const qsizetype next = text.indexOf(kGroupOpen, start + kGroupOpen.size(), Qt::CaseInsensitive);
    const qsizetype limit = next >= 0 ? next : text.size();
    qsizetype end = QStringView(text).first(limit).indexOf(kGroupClose, start, Qt::CaseInsensitive);
    if (end < 0) end = limit;
    groups.append({between(text, kNameOpen, kNameClose, start, end).trimmed(), start, end});
    pos = end;
  }
  return groups;
}

QString readLocalization(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8(bytes);
  if (utf8.hasError()) {
    // A UTF-8 file with a damaged byte keeps its other translations intact;
    // only a file without a single UTF-8 sequence is taken as an ANSI one.
    const bool hasUtf8Sequence = std::any_of(
        text.cbegin(), text.cend(), [](QChar c) { return c.unicode() > 0x7f && c != QChar::ReplacementCharacter; });
    if (!hasUtf8Sequence) text = util::DecodeLegacyText(bytes);
  }
  if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
  return text;
}

}  // namespace

clsLanguages::clsLanguages(AppIdentity identity, AppPaths paths)
    : identity_(std::move(identity)), paths_(std::move(paths)) {
  for (const auto& [key, text] : defaultMessages()) setMessage(key, text);
}

const QList<QPair<QString, QString>>& clsLanguages::defaultMessages() {
  static const QList<QPair<QString, QString>> messages = {
      {QStringLiteral("MSG_DELETE1"), QStringLiteral("You are attempting to delete the ")},
      {QStringLiteral("MSG_DELETE2"),
       QStringLiteral(" category. All feeds subscribed under this category will be deleted.")},
      {QStringLiteral("MSG_DELETE3"), QStringLiteral("Continue?")},
      {QStringLiteral("MSG_DELETE4"), QStringLiteral("Delete ")},
      {QStringLiteral("MSG_DELETE5"), QStringLiteral("Are you sure you want to delete the selected item?")},
      {QStringLiteral("MSG_BUSY"),
       QStringLiteral("Application is currently busy in executing Feed Check process. Interface cannot be closed; "
                      "please try again later.")},
      {QStringLiteral("CAPTION_FRMADDFEED"), QStringLiteral("Add New Feed")},
      {QStringLiteral("CAPTION_FRMAPPSETTINGS"), QStringLiteral("Application Settings")},
      {QStringLiteral("CAPTION_FRMCATEGORY"), QStringLiteral("Add/Edit Category")},
      {QStringLiteral("CAPTION_FRMCONFIRMCLOSE"), QStringLiteral("Confirm Close")},
      {QStringLiteral("CAPTION_FRMEMAILSETTINGS"), QStringLiteral("Email Settings")},
      {QStringLiteral("MSG_TITLELANGUAGE"), QStringLiteral("Change Language")},
      {QStringLiteral("CAPTION_FRMSCHEDULER"), QStringLiteral("Scheduler")},
      {QStringLiteral("CAPTION_FRMSENDEMAIL"), QStringLiteral("Send Email")},
      {QStringLiteral("MSG_MINIMIZED"), QStringLiteral("is minimized here!")},
      {QStringLiteral("MSG_TRAY"),
       QStringLiteral("Double-click this icon to show application interface or Right-click for more options!\"")},
      // Shown after a new localization file was fetched; an empty box would tell the user nothing.
      {QStringLiteral("MSG_DOWNLOADED"),
       QStringLiteral("The latest language file was downloaded. Choose your language from the list.")},
      // The desktop notification's action that shows the announced feed.
      {QStringLiteral("MSG_DSK_OPEN"), QStringLiteral("Open")},
      {QStringLiteral("MSG_DSK_OPML_IMPORT"), QStringLiteral("Import OPML")},
      {QStringLiteral("MSG_DSK_OPML_EXPORT"), QStringLiteral("Export OPML")},
      {QStringLiteral("MSG_DSK_OPML_UNREADABLE"), QStringLiteral("Cannot read %1.")},
      {QStringLiteral("MSG_DSK_OPML_NOTHING"), QStringLiteral("Nothing was imported.")},
      {QStringLiteral("MSG_DSK_OPML_CHECKING"), QStringLiteral("Checking the feeds of the list ...")},
      {QStringLiteral("MSG_DSK_CANCEL"), QStringLiteral("Cancel")},
      {QStringLiteral("MSG_DSK_OPML_SUMMARY"),
       QStringLiteral("%1 added, %2 skipped as already subscribed, %3 refused.")},
      {QStringLiteral("MSG_DSK_OPML_UNWRITABLE"), QStringLiteral("Cannot write %1.")},
      {QStringLiteral("MSG_DSK_OPML_WRITTEN"), QStringLiteral("%1 categories with %2 feeds written to %3.")},
      {QStringLiteral("MSG_DSK_PICK_FEED"), QStringLiteral("The page offers several feeds. Choose one:")},
      // What the close confirmation's answer will do, when it is not "minimize to the tray".
      {QStringLiteral("MSG_WND_CLOSEEXIT"),
       QStringLiteral("From now on, closing the window exits the application completely; scheduled tasks do not run "
                      "while it is closed.")},
      // The texts of the message boxes and the captions the windows set as they
      // work; LocalizedMessages finds a box's text by its English wording.
      {QStringLiteral("MSG_WND_DBINVALID"),
       QStringLiteral(
           "Application failed to load Feeds Database. Please reinstall application to resolve this issue.")},
      {QStringLiteral("MSG_WND_DBINVALIDTITLE"), QStringLiteral("Invalid Database File Format!")},
      {QStringLiteral("MSG_WND_DBSTRUCTURE"),
       QStringLiteral(
           "Appliaction failed to access Records in Database. Please reinstal application to resolve this issue.")},
      {QStringLiteral("MSG_WND_DBSTRUCTURETITLE"), QStringLiteral("Invalid Record Structure!")},
      {QStringLiteral("MSG_WND_CATMISSING"),
       QStringLiteral("Application failed to locate Feed category \"%1\" in Database!")},
      {QStringLiteral("MSG_WND_CATMISSINGTITLE"), QStringLiteral("Failed to access specified Category!")},
      {QStringLiteral("MSG_WND_MOVEMISSING"), QStringLiteral("Application failed to locate %1 in Database!")},
      {QStringLiteral("MSG_WND_MOVEMISSINGTITLE"), QStringLiteral("Category not found!")},
      {QStringLiteral("MSG_WND_CATEXISTS"),
       QStringLiteral("Category with same Name already exists. Try some other Category Name ...")},
      {QStringLiteral("MSG_WND_CATEXISTSTITLE"), QStringLiteral("Category Exists!")},
      {QStringLiteral("MSG_WND_RENAMEFAILED"),
       QStringLiteral("Application failed to access Category named \"%1\" in database. Edit operation failed. Please "
                      "Refresh Category tree and try again ...")},
      {QStringLiteral("MSG_WND_ALERT"), QStringLiteral("Alert!")},
      {QStringLiteral("MSG_WND_MOVEFEED"),
       QStringLiteral("Are you sure you want to move selected Feed from \"%1\" to \"%2\" category?")},
      {QStringLiteral("MSG_WND_MOVEFEEDTITLE"), QStringLiteral("Change Category?")},
      {QStringLiteral("MSG_WND_FEEDEXISTS"),
       QStringLiteral("Feed with same URL already exists under category \"%1\".")},
      {QStringLiteral("MSG_WND_FEEDEXISTSTITLE"), QStringLiteral("Feed already Exists!")},
      {QStringLiteral("MSG_WND_CATNAME"), QStringLiteral("Please specify Name of Category.")},
      {QStringLiteral("MSG_WND_CATNAMETITLE"), QStringLiteral("Category Name?")},
      {QStringLiteral("MSG_WND_FEEDURL"), QStringLiteral("Please specify Feed URL.")},
      {QStringLiteral("MSG_WND_FEEDURLTITLE"), QStringLiteral("Feed URL?")},
      {QStringLiteral("MSG_WND_CATCREATE"),
       QStringLiteral("Application failed to create specified Category. Please try some other Category name or choose "
                      "from existing ones.")},
      {QStringLiteral("MSG_WND_CATCREATETITLE"), QStringLiteral("Failed to Create Category!")},
      {QStringLiteral("MSG_WND_CHECKOFFLINE"),
       QStringLiteral("Application attempted to fetch Feed data to test Feed URL but failed to access Internet "
                      "connection on this machine. Please make sure that you're connected to Internet and Firewall "
                      "application (if any) is configured properly to grant Internet Access for this application.")},
      {QStringLiteral("MSG_WND_CHECKOFFLINETITLE"), QStringLiteral("Failed to access Internet!")},
      {QStringLiteral("MSG_WND_CHECKTIMEOUT"),
       QStringLiteral("Server did not respond in timely manner. Application failed to access Feed data. Server may be "
                      "down right now, please try again later.")},
      {QStringLiteral("MSG_WND_CHECKTIMEOUTTITLE"), QStringLiteral("Timeout Error!")},
      {QStringLiteral("MSG_WND_CHECKFORMAT"),
       QStringLiteral(
           "Feed data returned by specified URL is not in a valid format. Please check URL and try again ...")},
      {QStringLiteral("MSG_WND_CHECKFORMATTITLE"), QStringLiteral("Invalid Feed Data Format!")},
      {QStringLiteral("MSG_WND_CHECKTYPE"),
       QStringLiteral(
           "Format of data returned by specified Feed URL is not supported by current version of application. Please "
           "specify RSS 2.0 or ATOM 1.0 type Feed that may include PodCast media information.")},
      {QStringLiteral("MSG_WND_CHECKTYPETITLE"), QStringLiteral("Feed Type Not Supported!")},
      {QStringLiteral("MSG_WND_FETCHFAILED"), QStringLiteral("Application failed to fetch Feed Data! ")},
      {QStringLiteral("MSG_WND_FETCHFAILEDTITLE"), QStringLiteral("Download Failed!")},
      {QStringLiteral("MSG_WND_FETCHTIMEOUT"),
       QStringLiteral("Server did not respond in timely manner. Application failed to fetch Feed Data!")},
      {QStringLiteral("MSG_WND_FETCHTIMEOUTTITLE"), QStringLiteral("Server Timeout!")},
      {QStringLiteral("MSG_WND_EMPTYSTREAM"), QStringLiteral("Server returned empty data stream!")},
      {QStringLiteral("MSG_WND_BADRESPONSE"), QStringLiteral("Invalid Server Response!")},
      {QStringLiteral("MSG_WND_BADXML"), QStringLiteral("Server returned Feed data in invalid XML format!")},
      {QStringLiteral("MSG_WND_BADDATA"), QStringLiteral("Invalid Data Format!")},
      {QStringLiteral("MSG_WND_BADFEEDXML"), QStringLiteral("Invalid Feed XML!")},
      {QStringLiteral("MSG_WND_STORELOAD"), QStringLiteral("Failed to load the Feed Data file details.")},
      {QStringLiteral("MSG_WND_STORERECORDS"),
       QStringLiteral("Application failed to access Records in Feed Data file!")},
      {QStringLiteral("MSG_WND_STOREITEM"),
       QStringLiteral("Application failed to access Feed Data file. Item details cannot be fetched.")},
      {QStringLiteral("MSG_WND_STOREMISSING"), QStringLiteral("Feed Data file is missing!")},
      {QStringLiteral("MSG_WND_VIEWOFFLINE"),
       QStringLiteral("Cannot check Feed URL for new Items, Application failed to access Internet on this machine. "
                      "Please make sure you're connected to Internet and Firewall application (if any) is configured "
                      "properly to grant Internet access for ")},
      {QStringLiteral("MSG_WND_OFFLINETITLE"), QStringLiteral("Working Offline?")},
      {QStringLiteral("MSG_WND_STOREBUSY"),
       QStringLiteral("The Feed Data file is in use by another check. Please try again in a moment.")},
      {QStringLiteral("MSG_WND_STOREBUSYTITLE"), QStringLiteral("Feed Data file is busy!")},
      {QStringLiteral("MSG_PIC_DEFAULT"), QStringLiteral("As set for all feeds")},
      {QStringLiteral("MSG_PIC_LOAD"), QStringLiteral("Load")},
      {QStringLiteral("MSG_PIC_BLOCK"), QStringLiteral("Do not load")},
      {QStringLiteral("MSG_WND_NOVIEWTPL"),
       QStringLiteral(
           "Required Preview object file is missing or hidden. Please reinstall application to resolve this issue.")},
      {QStringLiteral("MSG_WND_ERRORTITLE"), QStringLiteral("Error!")},
      {QStringLiteral("MSG_WND_BADVIEWTPL"),
       QStringLiteral("Invalid Item Preview object data. Either file is damaged or replaced by another file. Please "
                      "reinstall the Application to resolve this issue.")},
      {QStringLiteral("MSG_WND_BADVIEWTPLTITLE"), QStringLiteral("Invalid Preview data object!")},
      {QStringLiteral("MSG_WND_ITEMGONE"),
       QStringLiteral("Application failed to access details for selected Feed Item. Either item is deleted or Feed "
                      "Data file is not accessible to application.")},
      {QStringLiteral("MSG_WND_ITEMGONETITLE"), QStringLiteral("Failed to locate item in Feed Data File!")},
      {QStringLiteral("MSG_WND_NOSERVER"),
       QStringLiteral(
           "Email Server Settings are not properly configured. Would you like to set Email Server Settings now?")},
      {QStringLiteral("MSG_WND_NOSERVERTITLE"), QStringLiteral("Email Server Settings not configured!")},
      {QStringLiteral("MSG_WND_CANNOTSEND"), QStringLiteral("Application cannot send Email. Please configure Email "
                                                            "Server from \"Email Settings\" panel and try again.")},
      {QStringLiteral("MSG_WND_CANNOTSENDTITLE"), QStringLiteral("Cannot Send Email!")},
      {QStringLiteral("MSG_WND_NOEMAILTPL"), QStringLiteral("Required Email Message object file is missing or hidden. "
                                                            "Please reinstall application to resolve this issue.")},
      {QStringLiteral("MSG_WND_LOADING"), QStringLiteral(" (loading ...)")},
      {QStringLiteral("MSG_WND_CHECKING"), QStringLiteral(" (checking ...)")},
      {QStringLiteral("MSG_WND_PARSING"), QStringLiteral(" (parsing ...)")},
      {QStringLiteral("MSG_WND_UPDATING"), QStringLiteral(" (updating ...)")},
      {QStringLiteral("MSG_WND_NEWMARK"), QStringLiteral(" [new]")},
      {QStringLiteral("MSG_WND_NODATE"), QStringLiteral("No Date Info Provided")},
      {QStringLiteral("MSG_WND_SAVEAS"), QStringLiteral("Save As ...")},
      {QStringLiteral("MSG_WND_HTMLFILES"), QStringLiteral("HTML Files (*.htm *.html)")},
      {QStringLiteral("MSG_WND_TEXTFILES"), QStringLiteral("Text Files (*.txt)")},
      {QStringLiteral("MSG_WND_PLACEHOLDER"), QStringLiteral("Select an item to read it here.")},
      {QStringLiteral("MSG_WND_OPENORIGINAL"), QStringLiteral("Open original")},
      {QStringLiteral("MSG_WND_SHOWNBY"), QStringLiteral("Shown by ")},
      {QStringLiteral("MSG_WND_INSCHEDULE"), QStringLiteral("Selected Source is already added to the Schedule List.")},
      {QStringLiteral("MSG_WND_INSCHEDULETITLE"), QStringLiteral("Source already in Schedule List!")},
      {QStringLiteral("MSG_WND_REMOVESOURCE"),
       QStringLiteral("Are you sure you want to Remove \"%1\" from the Schedule List?")},
      {QStringLiteral("MSG_WND_REMOVESOURCETITLE"), QStringLiteral("Remove from Schedule List?")},
      {QStringLiteral("MSG_WND_DISABLESCHEDULER"), QStringLiteral("You've selected to Disable Scheduler. Continue?")},
      {QStringLiteral("MSG_WND_DISABLESCHEDULERTITLE"), QStringLiteral("Disable Scheduler?")},
      {QStringLiteral("MSG_WND_NOSOURCES"),
       QStringLiteral("You've enabled Scheduler, but no Feed Sources are configured for Scheduled check.")},
      {QStringLiteral("MSG_WND_NOSOURCESTITLE"), QStringLiteral("No Sources Selected!")},
      {QStringLiteral("MSG_WND_NOINTERVAL"), QStringLiteral("Please set Schedule Execution Interval.")},
      {QStringLiteral("MSG_WND_NOINTERVALTITLE"), QStringLiteral("Execution Frequency?")},
      {QStringLiteral("MSG_WND_EXECUTING"), QStringLiteral("Status: Executing Schedule")},
      {QStringLiteral("MSG_WND_READY"), QStringLiteral("Status: Ready.")},
      {QStringLiteral("MSG_WND_EMAILSAVED"), QStringLiteral("Email Settings are Successfully Saved!")},
      {QStringLiteral("MSG_WND_DONE"), QStringLiteral("Done!")},
      {QStringLiteral("MSG_WND_APPSAVED"),
       QStringLiteral("Application Settings successfully saved to Application Configuration File.")},
      {QStringLiteral("MSG_WND_SCHEDULERSAVED"),
       QStringLiteral("Scheduler Settings are Successfully saved to Application Configuration file!")},
      {QStringLiteral("MSG_WND_FIELDEMPTY"), QStringLiteral("Required Field is Empty!")},
      {QStringLiteral("MSG_WND_NEEDSERVER"), QStringLiteral("Please specify SMTP Email Server Name.")},
      {QStringLiteral("MSG_WND_NEEDPORT"), QStringLiteral("Please specify SMTP Port Number. (Default = 25).")},
      {QStringLiteral("MSG_WND_SENDOFFLINE"),
       QStringLiteral("Application faled to access Internet connection on this machine. Please make sure you're "
                      "connected to Internet and try again ...")},
      {QStringLiteral("MSG_WND_SENT"), QStringLiteral("Email Successfully Sent!")},
      {QStringLiteral("MSG_WND_SENDFAILED"), QStringLiteral("Failed to Send Email due to following error: ")},
      {QStringLiteral("MSG_WND_SENDERROR"), QStringLiteral("Error: Failed to send Email!")},
      {QStringLiteral("MSG_WND_SENDING"), QStringLiteral("Sending ... (%1%)")},
      {QStringLiteral("MSG_WND_IDLE"), QStringLiteral("Idle.")},
      {QStringLiteral("MSG_WND_GREETING1"), QStringLiteral("Hello,")},
      {QStringLiteral("MSG_WND_GREETING2"),
       QStringLiteral("I have found an interesting article that you may want to look at, which is attached below.")},
      {QStringLiteral("MSG_WND_SUBJECT"), QStringLiteral("An Article from \"%1\"")},
      {QStringLiteral("MSG_WND_RECIPIENTTITLE"), QStringLiteral("Recipient Address?")},
      {QStringLiteral("MSG_WND_NORECIPIENT"),
       QStringLiteral("Please enter at least one recipient address in the \"To:\" field.")},
      {QStringLiteral("MSG_WND_BADRECIPIENT"),
       QStringLiteral("\"%1\" is not a valid e-mail address. Nothing was sent.")},
      {QStringLiteral("MSG_WND_RECIPIENTBREAK"),
       QStringLiteral("The recipient list contains a line break. Please enter the addresses on one line, separated by "
                      "semi-colons (;).")},
      {QStringLiteral("MSG_WND_DELETEFEED"),
       QStringLiteral("Are you sure you want to delete the feed \"%1\" with its stored items?")},
      {QStringLiteral("MSG_WND_WHYADDRESS"), QStringLiteral("The address is not a valid web address.")},
      {QStringLiteral("MSG_WND_WHYUNREACHABLE"), QStringLiteral("The server could not be reached: ")},
      {QStringLiteral("MSG_WND_WHYSTATUS"), QStringLiteral("The server answered with HTTP status %1.")},
      {QStringLiteral("MSG_WND_WHYEMPTY"), QStringLiteral("The server sent no data.")},
      {QStringLiteral("MSG_WND_WHYPAGE"), QStringLiteral("The address leads to a web page, not to a feed.")},
      {QStringLiteral("MSG_WND_WHYXML"), QStringLiteral("The data is not well-formed XML.")},
      {QStringLiteral("MSG_WND_ERRORLINE"), QStringLiteral("Error on Line ")},
      {QStringLiteral("MSG_WND_SHOW"), QStringLiteral("Show")},
      {QStringLiteral("MSG_WND_HIDE"), QStringLiteral("Hide")},
      {QStringLiteral("MSG_WND_ROOT"), QStringLiteral("Subscribed Feeds")},
      {QStringLiteral("MSG_WND_ADDFEEDTITLE"), QStringLiteral("Add New Feed ...")},
      {QStringLiteral("MSG_WND_EDITFEEDTITLE"), QStringLiteral("Edit Feed Details ...")},
      {QStringLiteral("MSG_WND_VALIDATING"), QStringLiteral("Validating...")},
      {QStringLiteral("MSG_WND_PROCEED"), QStringLiteral("Proceed...")},
      {QStringLiteral("MSG_WND_ADDCATEGORY"), QStringLiteral("Add Category")},
      {QStringLiteral("MSG_WND_SAVEDETAILS"), QStringLiteral("Save Details")},
      {QStringLiteral("MSG_WND_VISIT"), QStringLiteral("Visit ")},
      {QStringLiteral("MSG_WND_BY"), QStringLiteral(" by ")},
      {QStringLiteral("MSG_WND_CHOOSELANGUAGE"), QStringLiteral("Choose Language Here")},
      {QStringLiteral("MSG_WND_CLOSETASKBAR"),
       QStringLiteral("This desktop has no System Tray: Keep Running minimizes the window to the task bar.")},
      // After an item's text where a page's bounds cut it short.
      {QStringLiteral("MSG_SEC_CUT"), QStringLiteral("This item is longer than a page can show; the rest is cut off "
                                                     "here and kept with the stored item.")},
      // Saving a podcast's enclosure: the box titles and texts.
      {QStringLiteral("MSG_ART_DOWNLOAD"), QStringLiteral("Download enclosure")},
      {QStringLiteral("MSG_ART_DOWNLOADING"), QStringLiteral("Downloading the enclosure ...")},
      {QStringLiteral("MSG_ART_SAVED"), QStringLiteral("The enclosure was saved to ")},
      {QStringLiteral("MSG_ART_FAILED"), QStringLiteral("The enclosure could not be saved: ")},
      // Everyday reading: counts, updates, the filter and the search.
      {QStringLiteral("MSG_IDX_STARRED"), QStringLiteral("Starred")},
      {QStringLiteral("MSG_IDX_UPDATING"), QStringLiteral("Updating %1 of %2 ...")},
      {QStringLiteral("MSG_IDX_UPDATED"), QStringLiteral("All feeds updated.")},
      {QStringLiteral("MSG_IDX_UPDATEBUSY"), QStringLiteral("A feed check is already running.")},
      {QStringLiteral("MSG_IDX_FILTER"), QStringLiteral("Filter items (title and text)")},
      {QStringLiteral("MSG_IDX_SEARCH"), QStringLiteral("Search all items")},
      {QStringLiteral("MSG_IDX_SEARCHHINT"), QStringLiteral("Words to find (all must match)")},
      {QStringLiteral("MSG_IDX_NOUNREAD"), QStringLiteral("No unread items left.")},
      {QStringLiteral("MSG_IDX_REBUILT"),
       QStringLiteral("The item index was damaged and has been built again from the item stores.")},
      // The security of the SMTP session: its choices, the question before an
      // unencrypted login and the reports of a session that could not be secured.
      {QStringLiteral("MSG_SMTP_STARTTLS"), QStringLiteral("STARTTLS required")},
      {QStringLiteral("MSG_SMTP_TLS"), QStringLiteral("TLS (implicit)")},
      {QStringLiteral("MSG_SMTP_NONE"), QStringLiteral("None")},
      {QStringLiteral("MSG_SMTP_PLAINLOGIN"),
       QStringLiteral("With the security \"None\" your user name and password go to the SMTP server unencrypted, and "
                      "anyone on the network in between can read them. Send them unencrypted anyway?")},
      {QStringLiteral("MSG_SMTP_PLAINLOGINTITLE"), QStringLiteral("Unencrypted Login?")},
      {QStringLiteral("MSG_SMTP_NOSTARTTLS"),
       QStringLiteral("The SMTP server does not offer an encrypted connection (STARTTLS), so nothing was sent and no "
                      "login data left this computer. If the server really works without encryption, choose the "
                      "security \"None\" in the Email Settings.")},
      {QStringLiteral("MSG_SMTP_NOTSECURED"),
       QStringLiteral("The connection to the SMTP server could not be encrypted, so nothing was sent and no login "
                      "data left this computer: ")},
  };
  return messages;
}

void clsLanguages::setMessage(const QString& key, const QString& text) {
  if (used_ >= kMessageSlots) return;
  slots_[used_] = {key, text, text};
  ++used_;
}

QString clsLanguages::getMessages(const QString& key) const {
  for (int i = 0; i < used_; ++i) {
    if (slots_[i].key.compare(key, Qt::CaseInsensitive) == 0) return upperFirst(replaceTokens(slots_[i].text, false));
  }
  return {};
}

QString clsLanguages::translate(const QString& english) const {
  if (english.isEmpty()) return english;
  const Slot* prefix = nullptr;
  for (int i = 0; i < used_; ++i) {
    const Slot& slot = slots_[i];
    if (slot.english == english) return slot.text == slot.english ? english : getMessages(slot.key);
    if (slot.text == slot.english) continue;
    if (slot.english.contains(QLatin1String("%1"))) {
      // A message with parts filled in at run time ("... category \"%1\" ..."):
      // the parts are carried over into the translation.
      static const QRegularExpression marker(QStringLiteral("%[1-9]"));
      QStringList pieces = slot.english.split(marker);
      for (QString& piece : pieces) piece = QRegularExpression::escape(piece);
      const QString pattern = pieces.join(QStringLiteral("(.*)"));
      const QRegularExpression whole(QRegularExpression::anchoredPattern(pattern),
                                     QRegularExpression::DotMatchesEverythingOption);
      const QRegularExpressionMatch match = whole.match(english);
      if (!match.hasMatch()) continue;
      QString text = getMessages(slot.key);
      for (int part = 1; part <= match.lastCapturedIndex(); ++part) {
        text.replace(QLatin1Char('%') + QString::number(part), match.captured(part));
      }
      return text;
    }
    const bool opens = slot.english.size() >= 6 &&
                       (slot.english.endsWith(QLatin1Char(' ')) || slot.english.endsWith(QLatin1Char(':'))) &&
                       english.startsWith(slot.english);
    if (opens && (prefix == nullptr || slot.english.size() > prefix->english.size())) prefix = &slot;
  }
  if (prefix != nullptr) return getMessages(prefix->key) + english.mid(prefix->english.size());
  // A text of paragraphs ("... try again ...", a blank line, the reason):
  // each is looked up by itself.
  const QString paragraphBreak = QStringLiteral("\r\n\r\n");
  if (english.contains(paragraphBreak)) {
    QStringList paragraphs = english.split(paragraphBreak);
    for (QString& paragraph : paragraphs) paragraph = translate(paragraph);
    return paragraphs.join(paragraphBreak);
  }
  return english;
}

QString clsLanguages::replaceTokens(QString text, bool website) const {
  text.replace(QStringLiteral("[ProgramName]"), identity_.programName, Qt::CaseInsensitive);
  text.replace(QStringLiteral("[CompanyName]"), identity_.companyName, Qt::CaseInsensitive);
  if (website) text.replace(QStringLiteral("[Website]"), identity_.website, Qt::CaseInsensitive);
  return text;
}

QString clsLanguages::localizationFile() const { return paths_.localization(); }

bool clsLanguages::LangFileExists() const { return util::FileExists(localizationFile()); }

QString clsLanguages::LangTrimPath(const QString& path) {
  if (path.endsWith(QLatin1Char('\\')) || path.endsWith(QLatin1Char('/'))) return path.left(path.size() - 1);
  return path;
}

QStringList clsLanguages::readTranslationLines(const QString& text, const QString& language) const {
  for (const Group& group : languageGroups(text)) {
    if (group.name.toUpper() != language.trimmed().toUpper()) continue;
    const QString items = between(text, kItemsOpen, kItemsClose, group.begin, group.end);
    // CR LF as written on Windows; a file saved by a Linux editor has LF only.
    QStringList lines = items.split(QLatin1Char('\n'));
    for (QString& line : lines) {
      if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    }
    lines.removeAll(QString());
    return lines;
  }
  return {};
}

void clsLanguages::loadTranslationLines(const QString& language) {
  const QString text = readLocalization(localizationFile());
  lines_ = readTranslationLines(text, language);
  if (lines_.isEmpty()) lines_ = readTranslationLines(text, kDefaultLanguage);
}

void clsLanguages::applyToMessages() {
  for (int i = 0; i < used_; ++i) {
    const QString text = getCaption(slots_[i].key);
    if (!text.isEmpty()) slots_[i].text = text;
  }
}

void clsLanguages::loadLanguage(const QString& language) {
  loadTranslationLines(language);
  applyToMessages();
}

QString clsLanguages::getCaption(const QString& key) const {
  for (const QString& line : lines_) {
    const qsizetype open = line.indexOf(QLatin1Char('<'));
    if (open < 0) continue;
    const qsizetype close = line.indexOf(QLatin1Char('>'), open + 1);
    if (close < 0) continue;
    const QString tag = line.mid(open + 1, close - open - 1);
    if (tag.toUpper() != key.toUpper()) continue;
    const qsizetype end = line.indexOf(QStringLiteral("</") + tag + QLatin1Char('>'), close + 1, Qt::CaseInsensitive);
    if (end < 0) continue;  // no closing tag on the line: not an entry
    QString text = replaceTokens(line.mid(close + 1, end - close - 1), true);
    return upperFirst(text);
  }
  return {};
}

QStringList clsLanguages::ListLanguages() const {
  QStringList names;
  if (!LangFileExists()) return names;
  for (const Group& group : languageGroups(readLocalization(localizationFile()))) {
    if (!group.name.isEmpty()) names.append(group.name);
  }
  return names;
}

QString clsLanguages::controlKey(const QString& window, const QString& control) {
  return window + QLatin1Char('_') + control;
}

QString clsLanguages::tabKey(const QString& window, const QString& control, int tabFromOne) {
  return controlKey(window, control) + QStringLiteral("_TABS") + QString::number(tabFromOne);
}

QString clsLanguages::columnKey(const QString& window, const QString& control, int columnFromOne) {
  return controlKey(window, control) + QStringLiteral("_COL") + QString::number(columnFromOne);
}

QString clsLanguages::arrayKey(const QString& window, const QString& control, int index) {
  return controlKey(window, control) + QString::number(index);
}

QString clsLanguages::windowCaptionKey(const QString& window) { return window.toUpper() + QStringLiteral("_CAPTION"); }

QString clsLanguages::captionMessageKey(const QString& window) { return QStringLiteral("CAPTION_") + window.toUpper(); }

namespace {

// One LANGUAGE_GROUP block, from its opening tag to its closing one.
QString englishGroupBlock(const QList<QPair<QString, QString>>& entries) {
  static const QRegularExpression lineBreaks(QStringLiteral("[\\r\\n]+"));
  const QString crlf = QStringLiteral("\r\n");
  QString out;
  out += QStringLiteral("<LANGUAGE_GROUP xml:lang=\"en\">") + crlf;
  out += QStringLiteral("    <LANGUAGE_NAME>English</LANGUAGE_NAME>") + crlf;
  out += QStringLiteral("    <DESCRIPTION>The captions and messages of [ProgramName] in English.</DESCRIPTION>") + crlf;
  out += QStringLiteral("    <TRANSLATION_ITEMS>") + crlf;
  for (const auto& [key, text] : entries) {
    // An entry is one line: a caption that spans lines keeps its words on one.
    QString flat = text;
    flat.replace(lineBreaks, QStringLiteral(" "));
    out += QStringLiteral("      <%1>%2</%1>").arg(key, flat) + crlf;
  }
  out += QStringLiteral("    </TRANSLATION_ITEMS>") + crlf;
  out += QStringLiteral("  </LANGUAGE_GROUP>");
  return out;
}

// The (key, text) entries of a translation block, in file order.
QList<QPair<QString, QString>> blockEntries(const QString& items) {
  static const QRegularExpression entry(QStringLiteral("<([^<>/\\s]+)>(.*)</\\1>"));
  QList<QPair<QString, QString>> entries;
  for (const QString& line : items.split(QLatin1Char('\n'))) {
    const QRegularExpressionMatch match = entry.match(line);
    if (match.hasMatch()) entries.append({match.captured(1), match.captured(2)});
  }
  return entries;
}

}  // namespace

QString clsLanguages::englishGroupText(const QList<QPair<QString, QString>>& entries) {
  const QString crlf = QStringLiteral("\r\n");
  QString out;
  out += QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") + crlf;
  out += QStringLiteral("<XML_DIZ_INFO>") + crlf;
  out += QStringLiteral("  <LOCALIZATION_FILE_INFO>") + crlf;
  out += QStringLiteral("    <LOCALIZATION_FILE_VERSION>1.0</LOCALIZATION_FILE_VERSION>") + crlf;
  out += QStringLiteral("  </LOCALIZATION_FILE_INFO>") + crlf;
  out += QStringLiteral("  ") + englishGroupBlock(entries) + crlf;
  out += QStringLiteral("</XML_DIZ_INFO>") + crlf;
  return out;
}

QString clsLanguages::withEnglishGroup(const QString& existing, const QList<QPair<QString, QString>>& entries) {
  QList<Group> english;
  for (const Group& group : languageGroups(existing)) {
    if (group.name.compare(kDefaultLanguage, Qt::CaseInsensitive) == 0) english.append(group);
  }
  if (english.isEmpty()) return existing + englishGroupText(entries);
  // The new captions replace the old ones; entries of windows that were not
  // loaded this time keep theirs. Every English group the file had (an older
  // build added one per press) is folded into the first.
  QList<QPair<QString, QString>> merged = entries;
  QStringList keys;
  for (const auto& entry : entries) keys << entry.first.toUpper();
  for (const Group& group : english) {
    for (const auto& entry : blockEntries(between(existing, kItemsOpen, kItemsClose, group.begin, group.end))) {
      if (keys.contains(entry.first.toUpper())) continue;
      keys << entry.first.toUpper();
      merged.append(entry);
    }
  }
  QString text = existing;
  for (qsizetype i = english.size() - 1; i >= 0; --i) {
    const Group& group = english[i];
    qsizetype end = group.end;
    if (QStringView(text).mid(end).startsWith(kGroupClose, Qt::CaseInsensitive)) end += kGroupClose.size();
    if (i == 0) {
      text.replace(group.begin, end - group.begin, englishGroupBlock(merged));
    } else {
      text.remove(group.begin, end - group.begin);
    }
  }
  return text;
}

bool clsLanguages::writeEnglishGroup(const QList<QPair<QString, QString>>& entries) const {
  const QString target = paths_.localizationTarget();
  // The application folder's file is the one the program reads first; when
  // only the shipped copy exists, the new file starts from its content.
  QString existing;
  if (util::FileExists(target)) {
    existing = readLocalization(target);
  } else if (util::FileExists(paths_.localization())) {
    existing = readLocalization(paths_.localization());
  }

  // Unbuffered, so a short write (full disk) shows in write()'s count: a
  // failed flush inside commit() would not stop the rename of a truncated file.
  QSaveFile file(target);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
  const QByteArray bytes = withEnglishGroup(existing, entries).toUtf8();
  return file.write(bytes) == bytes.size() && file.commit();
}

}  // namespace tidewell
