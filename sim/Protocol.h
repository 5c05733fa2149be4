#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kesmo::sim {

inline constexpr std::size_t kImageSize = 2712;
inline constexpr std::size_t kSystemSize = 66;
inline constexpr std::size_t kNameSize = 20;
inline constexpr std::size_t kStoredModes = 21;
inline constexpr std::size_t kMeterCount = 12;

inline constexpr std::size_t kSceneBase[3] = {882, 1490, 2098};
inline constexpr std::size_t kChannelSize = 76;
inline constexpr std::size_t kSceneSelect = 2706;
inline constexpr std::size_t kSbCurrentMode = 0;
inline constexpr std::size_t kSbSensitivityAndKey = 9;
inline constexpr std::size_t kSbPanelPassword = 15;
inline constexpr std::size_t kSbSystemPassword = 19;
inline constexpr std::size_t kPanelPasswordSize = 4;
inline constexpr std::size_t kSystemPasswordSize = 6;

namespace code {
inline constexpr std::uint8_t kMeterLevels = 12;
inline constexpr std::uint8_t kMeterLimits = 24;
inline constexpr std::uint8_t kCrossover = 4;
inline constexpr std::uint8_t kReadIdentity = 127;
inline constexpr std::uint8_t kReadNames = 128;
inline constexpr std::uint8_t kReadSystemBlock = 129;
inline constexpr std::uint8_t kReadMode = 130;
inline constexpr std::uint8_t kWriteSystemBlock = 131;
inline constexpr std::uint8_t kWriteMode = 132;
inline constexpr std::uint8_t kRecallMode = 133;
inline constexpr std::uint8_t kWriteName = 134;
inline constexpr std::uint8_t kChangeSystemPassword = 140;
inline constexpr std::uint8_t kChangePanelPassword = 141;
} // namespace code

// Acknowledgement statuses; 1..3 are refusals.
inline constexpr std::uint8_t kAccepted = 0;
inline constexpr std::uint8_t kRefusedBadItem = 1;

enum class CommandKind { Bulk, Change, Meter };

// How the device reads one received code: its length field, whether byte 5 is an index, and
// at which frame byte the value bytes begin.
struct CommandLayout {
    std::uint8_t code;
    std::uint16_t length;
    CommandKind kind;
    bool indexed;
    std::uint8_t valueAt;
};

const CommandLayout* findCommand(std::uint8_t code);

enum class Target : std::uint8_t {
    Image,
    System,
    SystemLowNibble,  // SB 9 bits 0..3
    SystemHighNibble, // SB 9 bits 4..7
};

// One parameter-change item: which bytes of the device state a (code, index) pair writes.
// sceneRelative offsets are from the start of the edited scene. A crossover item has a second
// record (low-pass) chosen by the record's kind byte.
struct ChangeItem {
    std::uint8_t code;
    std::uint8_t index;
    Target target;
    std::uint16_t offset;
    std::uint8_t width;
    bool sceneRelative;
    std::uint16_t lowPassOffset; // 0: no low-pass record
};

const std::vector<ChangeItem>& changeItems();
const ChangeItem* findChangeItem(std::uint8_t code, std::uint8_t index);

} // namespace kesmo::sim
