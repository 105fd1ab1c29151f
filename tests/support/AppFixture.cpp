#include "support/AppFixture.h"

namespace tidewell::test {

AppFixture::AppFixture(const AppPaths& paths)
    : context(paths.appFolder().isEmpty() ? home.paths() : paths, home.userStore(), messages) {}

}  // namespace tidewell::test
