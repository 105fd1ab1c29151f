#include "core/NetworkProxy.h"
#include "feeds/FeedDownloader.h"
#include "support/TestHttpServer.h"

#include <gtest/gtest.h>

namespace tidewell {
namespace {

using test::TestHttpServer;

const QByteArray kRss = "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>P</title></channel></rss>";

// Put back what the program starts with, for the tests after this one.
struct SystemProxyAfterwards {
  ~SystemProxyAfterwards() { NetworkProxy::apply(ProxyConfig()); }
};

TEST(NetworkProxy, AManualHttpProxyCarriesTheDownloads) {
  SystemProxyAfterwards restore;
  TestHttpServer proxy;
  proxy.route(QStringLiteral("*"), {.body = kRss});
  ProxyConfig config;
  config.mode = ProxyConfig::Mode::Http;
  config.host = QStringLiteral("127.0.0.1");
  config.port = proxy.port();
  NetworkProxy::apply(config);

  // A host that does not resolve: only the proxy can answer for it.
  DownloadOptions options;
  options.url = QUrl(QStringLiteral("http://feeds.invalid/news.xml"));
  const DownloadResult result = FeedDownloader::fetchOnce(options);
  EXPECT_TRUE(result.completed()) << result.errorMessage.toStdString();
  EXPECT_EQ(result.body, kRss);
  ASSERT_EQ(proxy.requests().size(), 1u);
  EXPECT_EQ(proxy.requests().front().path, "http://feeds.invalid/news.xml");
}

TEST(NetworkProxy, AnIncompleteManualProxyMeansTheSystems) {
  const ProxyConfig cases[] = {
      {ProxyConfig::Mode::Http, QString(), 8080, QString()},
      {ProxyConfig::Mode::Socks5, QStringLiteral("proxy.test"), 0, QString()},
      {ProxyConfig::Mode::Http, QStringLiteral("  "), 70000, QString()},
      {ProxyConfig::Mode::System, QStringLiteral("proxy.test"), 8080, QString()},
  };
  for (const ProxyConfig& config : cases) EXPECT_FALSE(config.isManual()) << config.host.toStdString();
  EXPECT_TRUE((ProxyConfig{ProxyConfig::Mode::Socks5, QStringLiteral("proxy.test"), 1080, QString()}.isManual()));
}

}  // namespace
}  // namespace tidewell
