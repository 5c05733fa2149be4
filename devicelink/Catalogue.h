#pragma once

#include "devicelink/LinkState.h"
#include "devicelink/SendDataQueue.h"
#include "model/ModeImage.h"

#include <cstdint>

namespace kesmo {

// The code byte of a frame: the bulk commands, then the parameter changes and meter requests
// that the synchroniser composes.
enum class CommandCode : std::uint8_t {
    Volume = 1,
    Level = 2,
    EqBand = 3,
    Crossover = 4,
    Value16 = 5,
    Feedback = 6,
    Limiter = 7,
    Mute = 8,
    KeyShift = 9,
    NoiseGate = 10,
    Sign = 11,
    MeterLevels = 12,
    InputSelect = 13,
    DynEqBand = 17,
    Exciter = 18,
    InputLevel = 19,
    Bypass = 20,
    MeterLimits = 24,
    ReadIdentity = 127,
    ReadNames = 128,
    ReadSystemBlock = 129,
    ReadMode = 130,
    WriteSystemBlock = 131,
    WriteMode = 132,
    RecallMode = 133,
    WriteName = 134,
    LinkFlag = 135,
    MaxVolume = 137,
    Phantom = 138,
    Infrared = 139,
    ChangeSystemPassword = 140,
    ChangePanelPassword = 141,
    SceneSelect = 142,
};

constexpr int codeValue(CommandCode c) {
    return static_cast<int>(c);
}

// Appends the frames of one bulk command to the queue; codes outside the catalogue append
// nothing. `arg` is the mode index of RecallMode and WriteName, otherwise a selector
// (0 = the working copy, nonzero = the 21 stored items). The caller holds ModelLock.
void buildCommand(CommandQueue& queue, ParamStore& store, LinkState& link, int code, int arg);
inline void buildCommand(CommandQueue& queue, ParamStore& store, LinkState& link, CommandCode code,
                         int arg) {
    buildCommand(queue, store, link, codeValue(code), arg);
}

} // namespace kesmo
