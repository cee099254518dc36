#include "updater/updater.h"

namespace updater {

bool updateCheckFinished() { return false; }
UpdateInfo getUpdateInfo() { return {}; }
int updateState() { return UpdateIdle; }
std::string updateMessage() { return {}; }
void installAsync() {}

}  // namespace updater
