#pragma once
// What a Direct connection needs beyond the command line: this machine's own hardware address,
// which goes into every request as its source.

#include "connection/ComSettings.h"

// Fills settings.OwnNode. Throws CCommandFailure when no adapter can be used.
void FindOwnNode(ComSettings& settings);
