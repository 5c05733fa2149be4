// Device bytes into the receive state machine: any stream, fed in pieces of any size, must stay
// inside the records and leave the model consistent.
#include "devicelink/Command.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

using namespace kesmo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto* store = new ParamStore;
    static auto* link = new LinkState;
    static auto* command = new Command(*store, *link);
    if (size == 0)
        return 0;
    const int transport = (data[0] & 1) ? transport::kSerial : transport::kUsb;
    link->transport = transport;
    // The in-flight record is a request of the code the first byte names, so acknowledgements
    // and index lookups are exercised too.
    Frame& inFlight = command->inFlightRecord(transport);
    inFlight.clearFromCode();
    inFlight.setLength(3);
    inFlight.setCode(data[0]);
    inFlight[5] = size > 1 ? static_cast<std::uint8_t>(data[1] % 23) : 0;
    std::size_t at = 1;
    while (at < size) {
        const std::size_t piece = 1 + data[at] % 64;
        ++at;
        const std::size_t n = piece < size - at ? piece : size - at;
        command->feedBytes(transport, std::span(data + at, n));
        at += n;
    }
    command->resetRecords(transport, true);
    command->queue().clear();
    return 0;
}
