#pragma once

#include "TidewellConfig.h"

#include <QString>

namespace tidewell {

// Program name, company and website: fixed at build time, read-only afterwards.
struct AppIdentity {
  QString programName = QString::fromUtf8(config::kProgramName);
  QString companyName = QString::fromUtf8(config::kCompanyName);
  QString website = QString::fromUtf8(config::kWebsite);
  QString version = QString::fromUtf8(config::kVersion);
};

}  // namespace tidewell
