#pragma once

namespace vyper::cli {

// The exit status of the command line, as --help and the README list it.
namespace exit_status {
inline constexpr int Done = 0;          // everything asked for is done
inline constexpr int Usage = 2;         // the command line cannot be understood
inline constexpr int Port = 3;          // the port cannot be opened (missing, busy, no rights)
inline constexpr int Incomplete = 4;    // dives lost, settings unread, device gone or silent
inline constexpr int File = 5;          // a profile file, the folder or the export not written
inline constexpr int Interrupted = 130; // Ctrl+C or SIGTERM
}  // namespace exit_status

// What went wrong in a run, as far as the exit status cares.
struct RunFacts {
    bool usageError = false;
    bool interrupted = false;
    bool portFailed = false;
    bool fileFailed = false;
    bool incomplete = false;
};

// The one status for a run: a usage error before anything else (nothing ran), then an
// interruption (whatever it cut short), then the port, a file, an incomplete transfer;
// Done when none of them happened. Pure.
int ChooseExitStatus(const RunFacts& facts);

}  // namespace vyper::cli
