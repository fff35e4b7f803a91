// The host values fetched anew at every start, by the window and by `qarn create` alike, so
// that a user's word lists in the customisation folder serve both.
#pragma once

#include "StartupValues.h"

namespace zorv {

// The host's installation folder (its App Paths registration of "ZorvOne.exe"), its data
// folder, the customisation folder (data folder + "Customize" + separator) and its database
// name. Throws ZorvError when the host component fails.
StartupValues LoadStartupValues();

} // namespace zorv
