#pragma once

// What the windowed program and the unattended run without windows do alike at start-up.

#include <QString>

namespace jvz {

struct AppState;
class InstanceLock;
class MbFileIni;
class PppDialer;
class SerialPortInventory;

// True when another run of the same program holds its instance lock; a lock that cannot be opened lets the
// run go on (reported on standard error) rather than refuse every start.
bool anotherInstanceRunning(InstanceLock& lock, const QString& executablePath);
// The serial ports usable for the link, into the program-wide list.
void findModemPorts(AppState& state, SerialPortInventory& ports);
// The dial wait from the settings, which are read by the time the main window is first used.
void applyDialSettings(PppDialer& dialer, const MbFileIni& ini);

} // namespace jvz
