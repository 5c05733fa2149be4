#pragma once

#include "tools/kesmo-cli/Cli.h"
#include "tools/kesmo-cli/SetArguments.h"

#include <vector>

// The commands that talk to the processor.
namespace kesmo::cli {

int runPorts(Invocation& inv);
int runRead(Invocation& inv);
int runWrite(Invocation& inv);
int runBackup(Invocation& inv);
int runRestore(Invocation& inv);
// `set` after its arguments were checked: connect and apply the writes in order.
int applySetWrites(Invocation& inv, const std::vector<ByteWrite>& writes);

} // namespace kesmo::cli
