#pragma once

#include "platform/HidBackend.h"

#include <cstdint>
#include <memory>

// Our CH9326 library: the calls of the bridge maker's library that the USB transport makes,
// with the effects it relies on, over a HidBackend. Handles are small integers, -1 for none.
// Every call is safe from any thread; a handle's receive buffering runs on a thread of its own.
namespace kesmo {

using Ch9326Handle = int;
inline constexpr Ch9326Handle kCh9326InvalidHandle = -1;
inline constexpr std::uint16_t kCh9326VendorId = 0x1A86;

// The calling thread's last error, as the original platform keeps one.
enum Ch9326Error : std::uint32_t {
    kCh9326Success = 0,
    kCh9326FileNotFound = 2,
    kCh9326InvalidHandleError = 6,
    kCh9326InsufficientBuffer = 122,
    kCh9326NoMoreItems = 259,
    kCh9326DeviceNotConnected = 1167,
};
std::uint32_t ch9326LastError();
void ch9326ClearLastError();

// Replaces the backend of later opens and enumerations (tests); nullptr restores hidapi.
void setCh9326Backend(std::shared_ptr<HidBackend> backend);

// Initialises the backend. Nonzero on success.
int CH9326DllInt();
// Index-th bridge of vendor 0x1A86 (any product): nonzero and its path, NUL-terminated, in
// the buffer. Past the last one: 0 with last error kCh9326NoMoreItems; a path that does not
// fit: 0 with kCh9326InsufficientBuffer.
int CH9326GetDevicePath(std::uint32_t index, char* path, std::uint32_t pathLength);
// A handle, or -1 (last error kCh9326FileNotFound). Paths compare without regard to case, as they
// did on the original platform. The mode argument (the program passes 1) has no effect here.
Ch9326Handle CH9326OpenDevicePath(const char* path, int mode);
// Nonzero on success.
int CH9326GetAttributes(Ch9326Handle handle, std::uint16_t* vendorId, std::uint16_t* productId,
                        std::uint16_t* version);
// Sends the five UART codes to the bridge in its feature report. Nonzero on success.
int CH9326SetRate(Ch9326Handle handle, std::uint8_t rate, std::uint8_t parity, std::uint8_t stop,
                  std::uint8_t data, std::uint8_t interval);
// Report lengths without the report id, as the bridge's report descriptor declares them (32 each
// when it cannot be read). Nonzero on success.
int CH9326GetBufferLen(Ch9326Handle handle, std::uint16_t* inputLength,
                       std::uint16_t* outputLength);
// Nothing goes to the bridge: the waits are the caller's (see the definition). Nonzero on a
// valid handle.
int CH9326SetTimeOut(Ch9326Handle handle, std::uint32_t readTimeoutMs, std::uint32_t sendTimeoutMs);
// Starts the receive buffering thread (nonzero; also when it already runs).
int CH9326InitThreadData(Ch9326Handle handle);
// Received bytes waiting in the buffer.
std::uint32_t CH9326GetThreadDataLen(Ch9326Handle handle);
// Moves up to *length waiting bytes into the buffer; the number moved is returned and stored
// in *length.
std::uint32_t CH9326ReadThreadData(Ch9326Handle handle, void* buffer, std::uint32_t* length);
// Writes the bytes, as many to a report as its declared size leaves after the count byte, before
// returning. The event of the original's overlapped
// write is not needed for that and not touched. Nonzero when every report was written.
int CH9326WriteData(Ch9326Handle handle, const void* buffer, std::uint32_t length, void* event);
// Stops the receive buffering; waiting bytes are dropped.
void CH9326StopThread(Ch9326Handle handle);
// Stops the buffering and closes the handle.
void CH9326CloseDevice(Ch9326Handle handle);

} // namespace kesmo
