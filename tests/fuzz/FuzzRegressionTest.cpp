#include "FuzzEntries.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <ostream>

namespace tidewell::fuzz {

// Test names and failure output show the target's name.
void PrintTo(const Target& target, std::ostream* out) { *out << target.name; }

namespace {

class FuzzRegression : public ::testing::TestWithParam<Target> {};

// The seeds show the readers' normal paths still hold; the regression
// inputs are the ones that once crashed, hung or tripped a sanitizer.
TEST_P(FuzzRegression, ReplaysSeedsAndFoundInputs) {
  const QString source = QStringLiteral(TIDEWELL_TEST_SOURCE_DIR);
  const QString name = QString::fromLatin1(GetParam().name);
  for (const QString& folder : {source + QStringLiteral("/fuzz/seeds/") + name,
                                source + QStringLiteral("/tests/data/fuzz-regressions/") + name}) {
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo& info : files) {
      SCOPED_TRACE(info.filePath().toStdString());
      QFile file(info.filePath());
      ASSERT_TRUE(file.open(QIODevice::ReadOnly));
      const QByteArray bytes = file.readAll();
      GetParam().run(reinterpret_cast<const uint8_t*>(bytes.constData()), static_cast<size_t>(bytes.size()));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Readers, FuzzRegression, ::testing::ValuesIn(Targets()),
                         [](const ::testing::TestParamInfo<Target>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tidewell::fuzz
