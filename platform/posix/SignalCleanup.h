#pragma once

// What SIGINT, SIGTERM and SIGHUP leave behind, without Qt so that every program shares one rule. The handler
// only calls async-signal-safe functions:
// - temporary files registered here are unlinked and the process groups of children registered here are sent
//   SIGTERM, then the signal ends the process as it would have;
// - a program that ends its run in order (armOrderlyStop) is only told of the first signal, through a pipe it
//   reads on its own time; a second signal then ends it at once as above.
// Children are started with the default dispositions and an empty mask (platform/ProcessRunner), so none of
// this reaches them.

#include <sys/types.h>

namespace jvzio {

// Takes a path (a temporary file just made) onto the list the handler unlinks, and off it again once the file
// was renamed or removed. Safe from any thread; a path that does not fit a slot is not kept.
void rememberTemporary(const char* path);
void forgetTemporary(const char* path);

// A child that leads its own process group (pppd): the handler sends the group SIGTERM, so it does not outlive
// a process that had no time to hang it up.
void rememberChildGroup(pid_t group);
void forgetChildGroup(pid_t group);

// Installs the handler for the three signals, once; a signal that the program ignores or handles itself stays
// as it was.
void installSignalCleanup();

// From now on the first signal is written (its number, one byte) to the returned descriptor's pipe instead of
// ending the process; -1 when no pipe can be made. disarmOrderlyStop empties the pipe and forgets the signal
// received, so the next signal ends the process again.
int armOrderlyStop();
void disarmOrderlyStop();

// The first signal received while the orderly stop was armed, or 0. Async-signal-safe to read, so a loop that
// cannot serve events (the dial) can look at it.
int orderlyStopSignal();

// The signal's name ("SIGTERM"), for the run's message.
const char* signalName(int signal);

// After the orderly end: the signal's default disposition is put back and the signal raised, so the parent
// learns how the process ended.
void endAsSignalled(int signal);

} // namespace jvzio
