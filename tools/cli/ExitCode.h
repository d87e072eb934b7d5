#pragma once
// korva-cli's exit codes. Scripts depend on them: never renumber.

enum ExitCode : int {
    ExitSuccess = 0,
    ExitDevice = 1,   // communication failed, the device refused or is not the right one
    ExitUsage = 2,    // the command line is wrong
    ExitFile = 3,     // a file could not be read or written
    ExitRejected = 4, // a value was refused, or the set failed its consistency check
};
