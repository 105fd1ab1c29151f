#pragma once

#include "core/AppIdentity.h"
#include "core/AppPaths.h"
#include "core/CommandLine.h"
#include "core/UserMessages.h"
#include "core/UserStore.h"
#include "feeds/ItemIndex.h"
#include "l10n/LocalizedMessages.h"
#include "l10n/clsLanguages.h"
#include "scheduler/SchedulerState.h"
#include "settings/KeyringVault.h"
#include "settings/mSettings.h"

namespace tidewell {

// The program-wide state: created once by the program's entry (desktop or
// command line) and passed down by reference. Nothing reaches for a global.
struct AppContext {
  AppContext(AppPaths paths, UserStore userStore, UserMessages& messages)
      : paths(std::move(paths)), userStore(std::move(userStore)), untranslatedMessages(messages) {
    settings.setPasswordVault(&keyring);
  }

  AppIdentity identity;
  AppPaths paths;
  UserStore userStore;
  UserMessages& untranslatedMessages;
  clsLanguages languages{identity, paths};
  // Every box the program shows speaks the current language.
  LocalizedMessages localizedMessages{untranslatedMessages, languages};
  UserMessages& messages = localizedMessages;
  CommandSwitch commandSwitch = CommandSwitch::None;
  // The SMTP password's place when the desktop runs a keyring.
  KeyringVault keyring{QStringLiteral("Tidewell")};
  mSettings settings{paths, messages};
  QString currentLanguage = QStringLiteral("English");
  SchedulerState scheduler;
  // Opened on first use; rebuilt from the item stores when missing or damaged.
  ItemIndex itemIndex{paths};
};

}  // namespace tidewell
