#pragma once
// The "Ethernet (Direct)" side of korva-cli: which network its broadcasts use, and this
// machine's own node address, which goes into every request as its source.
//
// Normally the broadcasts leave on every adapter of the machine. With KORVA_DIRECT_LOOPBACK=PORT
// in the environment they go to a loopback adapter instead, to 127.0.0.1:PORT, where a
// korva-devsim started with --direct 127.0.0.1:0 listens: the tool can then be tried, and is
// tested, without sending anything onto a real network.

#include "connection/ComSettings.h"

// Applies KORVA_DIRECT_LOOPBACK as the process's Direct network, if it is set. Throws
// CUsageError for a value that is no port.
void ChooseDirectNetwork();

// Fills settings.OwnNode with the node address of the first usable adapter of the Direct
// network, or the discovery's fallback address when there is none.
void FindOwnNode(ComSettings& settings);
