#pragma once
// korva-cli's commands. Each takes the command line after the command word, does its job and
// returns the exit code; failures are thrown as CCommandFailure (main prints the message).

class CCommandLine;

// Offline: the model list and configuration files.
int RunModels(CCommandLine& line);
int RunNew(CCommandLine& line);
int RunShow(CCommandLine& line);
int RunSet(CCommandLine& line);

// With a device.
int RunRead(CCommandLine& line);
int RunWrite(CCommandLine& line);
int RunMonitor(CCommandLine& line);
int RunDiscover(CCommandLine& line);
