#pragma once

#include "core/AppIdentity.h"
#include "core/AppPaths.h"
#include "core/CommandLine.h"
#include "core/UserMessages.h"
#include "core/UserStore.h"
#include "feeds/ItemIndex.h"
#include "l10n/clsLanguages.h"
#include "scheduler/SchedulerState.h"
#include "settings/mSettings.h"

namespace tidewell {

// The program-wide state: created once by the program's entry (desktop or
// command line) and passed down by reference. Nothing reaches for a global.
struct AppContext {
  AppContext(AppPaths paths, UserStore userStore, UserMessages& messages)
      : paths(std::move(paths)), userStore(std::move(userStore)), messages(messages) {}

  AppIdentity identity;
  AppPaths paths;
  UserStore userStore;
  UserMessages& messages;
  CommandSwitch commandSwitch = CommandSwitch::None;
  mSettings settings{paths, messages};
  clsLanguages languages{identity, paths};
  QString currentLanguage = QStringLiteral("English");
  SchedulerState scheduler;
  // Opened on first use; rebuilt from the item stores when missing or damaged.
  ItemIndex itemIndex{paths};
};

}  // namespace tidewell
