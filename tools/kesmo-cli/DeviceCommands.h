#pragma once

#include "devicelink/PortDiscovery.h"
#include "model/ModeImage.h"
#include "platform/Clock.h"
#include "tools/kesmo-cli/Cli.h"
#include "tools/kesmo-cli/SetArguments.h"

#include <functional>
#include <string>
#include <vector>

// The commands that talk to the processor, through the connection controller.
namespace kesmo::cli {

int runPorts(Invocation& inv);
int runRead(Invocation& inv);
int runWrite(Invocation& inv);
int runBackup(Invocation& inv);
int runRestore(Invocation& inv);
// `set` after its arguments were checked: connect and apply the writes in order.
int applySetWrites(Invocation& inv, const std::vector<ByteWrite>& writes);
// Connects and reads the device's working state, then lets `prepare` look at it (under the
// model lock) and either refuse, returning its exit status, or name the bytes to write; those
// are checked, written and delivered as `set` does. No bytes: the reading was all.
using PrepareWrites = std::function<int(const ParamStore&, std::vector<ByteWrite>&)>;
int applyWorkingWrites(Invocation& inv, const PrepareWrites& prepare);

// What the device commands run on. Each member left empty means the system's own.
struct DeviceEnvironment {
    Clock* clock = nullptr;                              // the transports' clock
    std::function<std::vector<PortEntry>()> serialPorts; // serial port discovery
    std::function<std::vector<std::string>()> usbPaths;  // USB bridges; none when empty
};
// Tests replace parts of it before running a command.
DeviceEnvironment& deviceEnvironment();

} // namespace kesmo::cli
