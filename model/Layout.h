#pragma once

#include <cstddef>
#include <cstdint>

// Byte offsets of every field of the mode image and the system block. Record and block
// offsets are relative to their record; image offsets are absolute.
namespace kesmo::layout {

inline constexpr std::size_t kModeImageSize = 2712;
inline constexpr std::size_t kSystemBlockSize = 66;
inline constexpr int kStoredModes = 21;

namespace eqband {
inline constexpr std::size_t kFreq = 0, kGain = 2, kQ = 3, kType = 4, kSize = 5;
}
namespace crossover {
inline constexpr std::size_t kKind = 0, kFreq = 1, kSlope = 3, kSize = 4;
}
namespace dyneq {
inline constexpr std::size_t kBand = 0, kThreshold = 5, kAttack = 6, kRelease = 7, kRatio = 8,
                             kReserved9 = 9, kSize = 10;
}
namespace exciter {
inline constexpr std::size_t kFreq = 0, kHarmonic = 2, kTimbre = 3, kSize = 4;
}

namespace echo {
inline constexpr std::size_t kEq = 0, kEqBands = 7, kEqBypass = 35, kWetVolume = 36, kWetSign = 37,
                             kDryVolume = 38, kDrySign = 39, kHpf = 40, kLpf = 44, kPreDelay = 48,
                             kRightPreDelay = 50, kDelay = 52, kRightDelay = 54, kRepeat = 56,
                             kSize = 57;
}
namespace reverb {
inline constexpr std::size_t kEq = 0, kEqBands = 7, kEqBypass = 35, kWetVolume = 36, kWetSign = 37,
                             kDryVolume = 38, kDrySign = 39, kHpf = 40, kLpf = 44, kPreDelay = 48,
                             kReverbTime = 50, kSize = 52;
}
namespace mic {
inline constexpr std::size_t kMicLevel = 0, kFeedback = 1, kLimitLevel = 2, kLimitAttack = 3,
                             kLimitRelease = 4, kLimitRatio = 5, kGateThreshold = 6,
                             kGateAttack = 7, kGateRelease = 8, kHpf = 9, kLpf = 13, kEq = 17,
                             kEqBands = 20, kEqBypass = 117, kExtraBands = 118, kExtraBypass = 143,
                             kLowExciter = 144, kHighExciter = 148, kReserved = 152,
                             kReservedSize = 5, kSize = 157;
}
namespace music {
inline constexpr std::size_t kLimitLevel = 0, kLimitAttack = 1, kLimitRelease = 2, kLimitRatio = 3,
                             kGateThreshold = 4, kGateAttack = 5, kGateRelease = 6, kHpf = 7,
                             kLpf = 11, kEq = 15, kEqBands = 15, kEqBypass = 90, kExtraBands = 91,
                             kExtraBypass = 116, kMainMusicHpf = 117, kDynEq = 121, kDynEqBands = 3,
                             kLowExciter = 151, kHighExciter = 155, kReserved = 159,
                             kReservedSize = 5, kSize = 164;
}
inline constexpr std::size_t kExtraBandCount = 5;

// Output channels in memory order.
enum OutputChannel : int {
    kMainL = 0,
    kMainR = 1,
    kCenter = 2,
    kSub = 3,
    kRearL = 4,
    kRearR = 5,
    kSurroundL = 6,
    kSurroundR = 7
};
inline constexpr int kOutputChannels = 8;
inline constexpr int kScenes = 3;

namespace output {
inline constexpr std::size_t kMute = 0, kMusicLevel = 1, kMusicSign = 2, kMicLevel = 3,
                             kMicSign = 4, kEchoALevel = 5, kEchoASign = 6, kEchoBLevel = 7,
                             kEchoBSign = 8, kReverbLevel = 9, kReverbSign = 10, kEq = 11,
                             kEqBands = 10, kEqBypass = 61, kLimitLevel = 62, kLimitAttack = 63,
                             kLimitRelease = 64, kLimitRatio = 65, kHpf = 66, kLpf = 70,
                             kDelay = 74, kSize = 76;
}

namespace image {
inline constexpr std::size_t kName = 0, kNameSize = 20, kEchoA = 20, kEchoB = 77, kReverb = 134,
                             kSpareReverb = 186, kMic1 = 238, kMic2 = 395, kMicLink = 552,
                             kMusicLeft = 553, kMusicRight = 717, kMusicLink = 881, kScenes = 882,
                             kSceneSize = 608, kSceneSelect = 2706, kMainLink = 2707,
                             kLink2708 = 2708, kRearLink = 2709, kSurroundLink = 2710,
                             kFileSum = 2711;
}

namespace system {
inline constexpr std::size_t kCurrentMode = 0, kEffectVolume = 1, kMicVolume = 2, kMusicVolume = 3,
                             kEffectMaxVolume = 4, kMicMaxVolume = 5, kMusicMaxVolume = 6,
                             kRearMicPhantom = 7, kInputSelect = 8, kSensitivityAndKey = 9,
                             kVodGain = 10, kBgmGain = 11, kCoaxGain = 12, kOptiGain = 13,
                             kInfrared = 14, kPanelPassword = 15, kPanelPasswordSize = 4,
                             kSystemPassword = 19, kSystemPasswordSize = 6, kReserved = 25,
                             kReservedSize = 41;
inline constexpr std::uint8_t kMuteBit = 0x80, kLevelMask = 0x7F;
} // namespace system

// Start of output channel `index` (memory order) of scene 1..3.
constexpr std::size_t outputChannelOffset(int scene, int index) {
    return image::kScenes + image::kSceneSize * static_cast<std::size_t>(scene - 1) +
           output::kSize * static_cast<std::size_t>(index);
}

// EqChannel numbering used by reset, graphs and pages.
enum EqChannel : int {
    kEqMusicLeft = 0,
    kEqMusicRight = 1,
    kEqMic1 = 2,
    kEqMic2 = 3,
    kEqEchoA = 4,
    kEqEchoB = 5,
    kEqReverb = 6,
    kEqSpareReverb = 7,
    kEqOutputFirst = 8, // 8..15: output channels of the edited scene, memory order
    kEqDynMusicLeft = 16,
    kEqDynMusicRight = 17
};
inline constexpr int kEqChannelCount = 18;
inline constexpr int kWireBandCount = 191;

} // namespace kesmo::layout
