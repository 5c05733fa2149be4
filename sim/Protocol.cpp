#include "sim/Protocol.h"

#include <algorithm>
#include <array>

namespace kesmo::sim {

namespace {

constexpr std::array kCommands = {
    CommandLayout{1, 4, CommandKind::Change, true, 6},
    CommandLayout{2, 4, CommandKind::Change, true, 6},
    CommandLayout{3, 8, CommandKind::Change, true, 6},
    CommandLayout{4, 7, CommandKind::Change, true, 6},
    CommandLayout{5, 5, CommandKind::Change, true, 6},
    CommandLayout{6, 5, CommandKind::Change, true, 7},
    CommandLayout{7, 7, CommandKind::Change, true, 6},
    CommandLayout{8, 5, CommandKind::Change, true, 6},
    CommandLayout{9, 5, CommandKind::Change, false, 5},
    CommandLayout{10, 7, CommandKind::Change, true, 6},
    CommandLayout{11, 4, CommandKind::Change, true, 6},
    CommandLayout{12, 3, CommandKind::Meter, false, 5},
    CommandLayout{13, 3, CommandKind::Change, false, 5},
    CommandLayout{17, 13, CommandKind::Change, true, 6},
    CommandLayout{18, 13, CommandKind::Change, true, 7},
    CommandLayout{19, 4, CommandKind::Change, true, 6},
    CommandLayout{20, 4, CommandKind::Change, true, 6},
    CommandLayout{24, 3, CommandKind::Meter, false, 5},
    CommandLayout{127, 3, CommandKind::Bulk, true, 6},
    CommandLayout{128, 3, CommandKind::Bulk, true, 6},
    CommandLayout{129, 3, CommandKind::Bulk, true, 6},
    CommandLayout{130, 3, CommandKind::Bulk, true, 6},
    CommandLayout{131, 69, CommandKind::Bulk, true, 6},
    CommandLayout{132, 2715, CommandKind::Bulk, true, 6},
    CommandLayout{133, 3, CommandKind::Bulk, true, 6},
    CommandLayout{134, 23, CommandKind::Bulk, true, 6},
    CommandLayout{135, 4, CommandKind::Change, true, 6},
    CommandLayout{137, 4, CommandKind::Change, true, 6},
    CommandLayout{138, 3, CommandKind::Change, false, 5},
    CommandLayout{139, 3, CommandKind::Change, false, 5},
    CommandLayout{140, 14, CommandKind::Bulk, false, 5},
    CommandLayout{141, 10, CommandKind::Bulk, false, 5},
    CommandLayout{142, 3, CommandKind::Change, false, 5},
};

class TableBuilder {
public:
    void image(std::uint8_t code, unsigned index, std::size_t offset, unsigned width) {
        add(code, index, Target::Image, offset, width, false, 0);
    }
    void scene(std::uint8_t code, unsigned index, std::size_t offset, unsigned width) {
        add(code, index, Target::Image, offset, width, true, 0);
    }
    void system(std::uint8_t code, unsigned index, std::size_t offset) {
        add(code, index, Target::System, offset, 1, false, 0);
    }
    void add(std::uint8_t code, unsigned index, Target target, std::size_t offset, unsigned width,
             bool sceneRelative, std::size_t lowPass) {
        m_items.push_back(ChangeItem{
            code, static_cast<std::uint8_t>(index), target, static_cast<std::uint16_t>(offset),
            static_cast<std::uint8_t>(width), sceneRelative, static_cast<std::uint16_t>(lowPass)});
    }
    std::vector<ChangeItem> take() { return std::move(m_items); }

private:
    std::vector<ChangeItem> m_items;
};

// Bands numbered on the wire: runs of (first index, count, first record offset).
struct BandRun {
    unsigned first;
    unsigned count;
    std::size_t offset;
};
constexpr std::array kBandRuns = {
    BandRun{0, 15, 568},  BandRun{15, 5, 644}, BandRun{20, 15, 732}, BandRun{35, 5, 808},
    BandRun{40, 20, 255}, BandRun{60, 5, 356}, BandRun{65, 20, 412}, BandRun{85, 5, 513},
    BandRun{90, 7, 20},   BandRun{97, 7, 134}, BandRun{104, 7, 77},
};

// The device numbers output channels for levels and signs in its own order.
constexpr std::array<unsigned, 8> kDeviceChannelOrder = {0, 2, 3, 4, 6, 1, 5, 7};

std::vector<ChangeItem> buildTable() {
    TableBuilder t;
    t.system(1, 0, 3);
    t.system(1, 1, 2);
    t.system(1, 2, 1);

    constexpr std::array<std::size_t, 8> kLevels = {76, 56, 58, 133, 113, 115, 170, 172};
    for (unsigned i = 0; i < kLevels.size(); ++i) {
        t.image(2, i, kLevels[i], 1);
    }
    constexpr std::array<std::pair<unsigned, std::size_t>, 6> kSigns = {
        {{1, 57}, {2, 59}, {4, 114}, {5, 116}, {6, 171}, {7, 173}}};
    for (const auto& [index, offset] : kSigns) {
        t.image(11, index, offset, 1);
    }
    for (unsigned k = 0; k < 8; ++k) {
        const std::size_t channel = kChannelSize * kDeviceChannelOrder[k];
        for (unsigned j = 0; j < 5; ++j) {
            const unsigned index = (k <= 4 ? 8 + 5 * k : 18 + 5 * k) + j;
            t.scene(2, index, channel + 1 + 2 * j, 1);
            t.scene(11, index, channel + 2 + 2 * j, 1);
        }
    }

    for (const auto& run : kBandRuns) {
        for (unsigned i = 0; i < run.count; ++i) {
            t.image(3, run.first + i, run.offset + 5 * i, 5);
        }
    }
    for (unsigned i = 111; i <= 190; ++i) {
        const unsigned c = (i - 111) / 10;
        const unsigned b = (i - 111) % 10;
        t.scene(3, i, 11 + kChannelSize * c + 5 * b, 5);
    }

    constexpr std::array<std::size_t, 7> kCrossoverPairs = {560, 724, 247, 404, 60, 174, 117};
    for (unsigned i = 0; i < kCrossoverPairs.size(); ++i) {
        t.add(4, i, Target::Image, kCrossoverPairs[i], 4, false, kCrossoverPairs[i] + 4);
    }
    for (unsigned c = 0; c < 8; ++c) {
        const std::size_t hp = kChannelSize * c + 66;
        t.add(4, 7 + c, Target::Image, hp, 4, true, hp + 4);
    }
    t.image(4, 15, 670, 4);
    t.image(4, 16, 834, 4);

    constexpr std::array<std::size_t, 10> kWords = {68, 70, 72, 74, 125, 127, 129, 131, 182, 184};
    for (unsigned i = 0; i < kWords.size(); ++i) {
        t.image(5, i, kWords[i], 2);
    }
    for (unsigned c = 0; c < 8; ++c) {
        t.scene(5, 10 + c, kChannelSize * c + 74, 2);
    }

    t.image(6, 0, 239, 1);
    t.image(6, 1, 396, 1);

    t.image(7, 0, 240, 4);
    t.image(7, 1, 397, 4);
    constexpr std::array<std::size_t, 5> kLimiters = {62, 214, 290, 366, 518};
    for (unsigned i = 0; i < kLimiters.size(); ++i) {
        t.scene(7, 2 + i, kLimiters[i], 4);
    }
    t.image(7, 7, 553, 4);

    for (unsigned i = 0; i < 8; ++i) {
        t.scene(8, i, kChannelSize * i, 1);
    }

    t.add(9, 0, Target::SystemHighNibble, kSbSensitivityAndKey, 1, false, 0);

    t.image(10, 0, 244, 3);
    t.image(10, 1, 401, 3);
    t.image(10, 2, 557, 3);

    t.system(13, 0, 8);

    constexpr std::array<std::size_t, 6> kDynEq = {674, 684, 694, 838, 848, 858};
    for (unsigned i = 0; i < kDynEq.size(); ++i) {
        t.image(17, i, kDynEq[i], 10);
    }

    constexpr std::array<std::size_t, 8> kExciters = {708, 872, 386, 543, 704, 868, 382, 539};
    for (unsigned i = 0; i < kExciters.size(); ++i) {
        t.image(18, i, kExciters[i], 4);
    }

    t.add(19, 0, Target::SystemLowNibble, kSbSensitivityAndKey, 1, false, 0);
    t.image(19, 1, 238, 1);
    t.image(19, 2, 395, 1);
    for (unsigned i = 3; i <= 6; ++i) {
        t.system(19, i, 7 + i);
    }

    constexpr std::array<std::size_t, 11> kBypasses = {643, 669, 807, 833, 355, 381,
                                                       512, 538, 55,  169, 112};
    for (unsigned i = 0; i < kBypasses.size(); ++i) {
        t.image(20, i, kBypasses[i], 1);
    }
    for (unsigned c = 0; c < 8; ++c) {
        t.scene(20, 11 + c, kChannelSize * c + 61, 1);
    }

    constexpr std::array<std::size_t, 6> kLinks = {552, 881, 2707, 2708, 2709, 2710};
    for (unsigned i = 0; i < kLinks.size(); ++i) {
        t.image(135, i, kLinks[i], 1);
    }

    t.system(137, 0, 6);
    t.system(137, 1, 5);
    t.system(137, 2, 4);
    t.system(138, 0, 7);
    t.system(139, 0, 14);
    t.image(142, 0, kSceneSelect, 1);
    return t.take();
}

} // namespace

const CommandLayout* findCommand(std::uint8_t code) {
    const auto* it = std::find_if(kCommands.begin(), kCommands.end(),
                                  [code](const CommandLayout& c) { return c.code == code; });
    return it == kCommands.end() ? nullptr : &*it;
}

const std::vector<ChangeItem>& changeItems() {
    static const std::vector<ChangeItem> items = buildTable();
    return items;
}

const ChangeItem* findChangeItem(std::uint8_t code, std::uint8_t index) {
    const auto& items = changeItems();
    const auto it = std::find_if(items.begin(), items.end(), [&](const ChangeItem& item) {
        return item.code == code && item.index == index;
    });
    return it == items.end() ? nullptr : &*it;
}

} // namespace kesmo::sim
