#pragma once

namespace kelm {

class SettingsStore;

// Creates the stored devices folder. When it can no longer be created (a removed USB
// stick, a share that is gone), the default folder (beside the installation, or in the
// user's data folder for a read-only one) takes its place with a message naming both, so
// the program still starts; the start-up load then creates that one.
void FallBackToDefaultDevicesFolder(SettingsStore& settings);

} // namespace kelm
