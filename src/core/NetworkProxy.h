#pragma once

#include <QString>

namespace tidewell {

// The proxy the program's downloads go through: the system's (as configured
// for the desktop or in the environment), or one the user set by hand.
struct ProxyConfig {
  enum class Mode { System = 0, Http = 1, Socks5 = 2 };
  Mode mode = Mode::System;
  QString host;
  int port = 0;  // 1..65535 for a manual proxy
  QString user;

  bool operator==(const ProxyConfig&) const = default;
  // A manual proxy needs a host and a port; anything else falls back to the system's.
  bool isManual() const { return mode != Mode::System && !host.trimmed().isEmpty() && port > 0 && port < 65536; }
};

// Process-wide, because Qt's proxy choice is: one place decides it.
class NetworkProxy {
 public:
  // Makes config the proxy of every later download.
  static void apply(const ProxyConfig& config);
  // Called before the first download: the system's proxy unless apply() chose one.
  static void useSystemUnlessChosen();
};

}  // namespace tidewell
