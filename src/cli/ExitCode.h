#pragma once

// What the command line's subcommands end with; with several devices the highest that applies.
enum ExitCode : int
{
    ExitDone = 0,         // done; compared values are all equal
    ExitDiffer = 1,       // done, but values differ
    ExitUsage = 2,        // wrong usage
    ExitDeviceFailed = 3, // a device could not be opened, went away, stayed silent or was stopped
    ExitFileFailed = 4,   // a file could not be read or written
};
