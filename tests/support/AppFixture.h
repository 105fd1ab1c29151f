#pragma once

#include "app/AppContext.h"
#include "support/ScriptedMessages.h"
#include "support/TempHome.h"

namespace tidewell::test {

// What every window test starts from: a throw-away application folder, a
// message interface that records and answers as scripted, and the
// program-wide context built on both. Members in that order, so the context
// is made after what it refers to. Nothing is created in the folder: a test
// of the first run finds it empty.
struct AppFixture {
  // paths with an empty application folder: the throw-away one.
  explicit AppFixture(const AppPaths& paths = {});

  TempHome home;
  ScriptedMessages messages;
  AppContext context;
};

}  // namespace tidewell::test
