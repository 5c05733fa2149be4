// Room EQ filter text of any content: a refusal writes nothing; an import stays inside the
// channel's band records, stores codes of the tables, gives a finite deviation, and the bands
// written back as text import to the same bytes.
#include "filters/RoomEqDeviation.h"
#include "model/ModeImage.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

using namespace kesmo;

namespace {

const std::vector<RoomEqChannel>& channels() {
    static const auto* list = [] {
        auto* out = new std::vector<RoomEqChannel>;
        for (const char* name : {"musicLeft", "musicRight", "mic1", "mic2", "echoA", "echoB",
                                 "reverb", "scene[1].mainL", "scene[2].sub", "scene[3].surroundR"})
            out->push_back(*findRoomEqChannel(name));
        return out;
    }();
    return *list;
}

void apply(const std::vector<RoomEqWrite>& writes, const RoomEqChannel& channel, ModeImage& image) {
    for (const RoomEqWrite& w : writes) {
        if (w.offset < channel.firstBand || w.offset >= channel.bandOffset(channel.bandCount))
            std::abort();
        image.setByte(w.offset, w.value);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto* image = new ModeImage;
    static auto* again = new ModeImage;
    const RoomEqRead read =
        readRoomEqText(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!read.ok()) {
        if (!read.text.filters.empty() || !read.text.preamps.empty())
            std::abort();
        return 0;
    }
    const RoomEqChannel& channel = channels()[size % channels().size()];
    const RoomEqPlanResult planned = planRoomEq(read.text, channel);
    if (!planned.ok())
        return 0;
    for (const RoomEqBand& b : planned.plan.bands)
        if (b.freq > 361 || !channel.gainRange.contains(b.gain) || b.q > 100 || b.type > 3)
            std::abort();
    if (!std::isfinite(roomEqDeviationDb(planned.plan)))
        std::abort();
    apply(roomEqWrites(planned.plan, channel), channel, *image);

    const std::string text = writeRoomEqText(channel, image->snapshot(), "fuzz");
    const RoomEqRead reread = readRoomEqText(text);
    const RoomEqPlanResult replanned =
        reread.ok() ? planRoomEq(reread.text, channel) : RoomEqPlanResult{{}, reread.error};
    if (!replanned.ok())
        std::abort();
    again->assign(*image);
    apply(roomEqWrites(replanned.plan, channel), channel, *again);
    if (!again->sameAs(*image))
        std::abort();
    return 0;
}
