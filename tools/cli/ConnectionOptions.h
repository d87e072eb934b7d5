#pragma once
// The connection a device command names on its command line:
//   --tcp HOST[:PORT] | --serial DEVICE [--baud N] [--parity P] [--stop N] | --direct MAC
// with --unit N (default 1). What the line leaves open (the TCP port, the serial line
// settings) comes from the communication settings the program stored last.

#include "CCommandLine.h"

#include "connection/ComSettings.h"

#include <vector>

// The options above, for CCommandLine::Parse.
std::vector<CCommandLine::KnownOption> ConnectionOptionList();

// The stored settings with the line's connection applied. Throws CUsageError when the line
// names no connection, more than one, or a value out of range. A Direct connection also needs
// this machine's hardware address, which FindOwnNode fills in (see DirectConnection.h).
ComSettings ConnectionSettingsOf(const CCommandLine& line);

// "00:11:22:aa:bb:cc" (or with '-'); false for anything else.
bool ParseNodeAddress(const QString& text, ComSettings::NodeAddress& node);
