#include "feeds/ExportFileName.h"

#include <gtest/gtest.h>

namespace tidewell {
namespace {

struct NameCase {
  const char* title;
  const char* expected;
};

const NameCase kNameCases[] = {
    {"Storm warning for the coast", "Storm warning for the coast.html"},
    {"Harbour: report 2/3", "Harbour report 2 3.html"},
    {"a\\b*c?d\"e<f>g|h", "a b c d e f g h.html"},
    {"  line\none\ttwo  ", "line one two.html"},
    {"...hidden...", "hidden.html"},
    {"Grüße aus Kiel", "Grüße aus Kiel.html"},
    {"", "item.html"},
    {"???", "item.html"},
    {"CON", "CON_.html"},
    {"nul", "nul_.html"},
};

TEST(ExportFileNameTest, TitlesBecomeNamesEveryFileSystemTakes) {
  for (const NameCase& c : kNameCases) {
    EXPECT_EQ(SuggestExportFileName(QString::fromUtf8(c.title), QStringLiteral("html")), QString::fromUtf8(c.expected))
        << c.title;
  }
}

TEST(ExportFileNameTest, LongTitlesAreCutWithoutSplittingACharacter) {
  const QString name = SuggestExportFileName(QString(79, QLatin1Char('x')) + QStringLiteral("😀 tail"), "txt");
  EXPECT_EQ(name, QString(79, QLatin1Char('x')) + QStringLiteral(".txt"));
  EXPECT_LE(SuggestExportFileName(QString(300, QLatin1Char('y')), "txt").size(), 84);
}

}  // namespace
}  // namespace tidewell
