#include "tools/kesmo-cli/DeviceCommands.h"

namespace kesmo::cli {

int runPorts(Invocation& inv) {
    return notAvailable(inv);
}

int runRead(Invocation& inv) {
    return notAvailable(inv);
}

int runWrite(Invocation& inv) {
    return notAvailable(inv);
}

int runBackup(Invocation& inv) {
    return notAvailable(inv);
}

int runRestore(Invocation& inv) {
    return notAvailable(inv);
}

int applySetWrites(Invocation& inv, const std::vector<ByteWrite>&) {
    return notAvailable(inv);
}

} // namespace kesmo::cli
