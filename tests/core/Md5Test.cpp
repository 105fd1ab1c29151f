#include "core/clsMD5.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace tidewell;

TEST(Md5, MatchesTheReferenceVectors) {
  struct Case {
    QString text;
    const char* digest;
  };
  const Case cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  clsMD5 md5;
  for (const auto& c : cases) EXPECT_EQ(md5.GetMD5(c.text), QString::fromLatin1(c.digest)) << c.text.toStdString();
}

// 55 bytes still fit the padding into one block; 56 and 64 need a second one.
TEST(Md5, PaddingBoundariesAgreeWithQt) {
  clsMD5 md5;
  for (int length : {55, 56, 57, 63, 64, 65, 119, 120, 128}) {
    const QString text(length, QLatin1Char('a'));
    const QString expected =
        QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Md5).toHex());
    EXPECT_EQ(md5.GetMD5(text), expected) << length;
  }
  EXPECT_EQ(md5.GetMD5(QString(55, QLatin1Char('a'))), "ef1772b6dff9a122358552954ad0df65");
  EXPECT_EQ(md5.GetMD5(QString(56, QLatin1Char('a'))), "3b0c8ac703f828b04c6c197006d17218");
  EXPECT_EQ(md5.GetMD5(QString(64, QLatin1Char('a'))), "014842d480b571495a4a0363793f7367");
}

TEST(Md5, AgreesWithQtOnRandomBytesAndText) {
  QRandomGenerator rng(20261210);
  for (int round = 0; round < 300; ++round) {
    QByteArray bytes(rng.bounded(0, 700), Qt::Uninitialized);
    for (auto& b : bytes) b = static_cast<char>(rng.bounded(256));
    const QByteArray expected = QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex();
    ASSERT_EQ(clsMD5::digestHex(bytes), QString::fromLatin1(expected)) << bytes.size();
  }
  const QString link = QStringLiteral("https://example.org/Stra\u00dfe/\u65e5\u672c");
  EXPECT_EQ(clsMD5().GetMD5(link),
            QString::fromLatin1(QCryptographicHash::hash(link.toUtf8(), QCryptographicHash::Md5).toHex()));
}
