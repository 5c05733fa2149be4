#include "model/ModeImage.h"

namespace kesmo {

using namespace layout;

std::size_t masterVolumeOffset(MasterChannel c) {
    switch (c) {
    case MasterChannel::Effect:
        return system::kEffectVolume;
    case MasterChannel::Mic:
        return system::kMicVolume;
    case MasterChannel::Music:
        break;
    }
    return system::kMusicVolume;
}

std::size_t masterMaxOffset(MasterChannel c) {
    switch (c) {
    case MasterChannel::Effect:
        return system::kEffectMaxVolume;
    case MasterChannel::Mic:
        return system::kMicMaxVolume;
    case MasterChannel::Music:
        break;
    }
    return system::kMusicMaxVolume;
}

void setMaxVolume(SystemBlock& sb, MasterChannel c, std::uint8_t maximum) {
    sb.setByte(masterMaxOffset(c), maximum);
    const std::size_t vol = masterVolumeOffset(c);
    if ((sb.byte(vol) & system::kLevelMask) > maximum)
        sb.setByte(vol, maximum);
}

ParamStore& paramStore() {
    static auto* store = new ParamStore; // lives for the whole process, worker included
    return *store;
}

int editedScene(const ModeImage& image, int fallbackScene) {
    const int s = image.byte(image::kSceneSelect);
    if (s >= 1 && s <= kScenes)
        return s;
    return (fallbackScene >= 1 && fallbackScene <= kScenes) ? fallbackScene : 1;
}

int editedScene(const ParamStore& store) {
    return editedScene(store.working, store.fallbackScene.load(std::memory_order_relaxed));
}

void setScene(ParamStore& store, int s) {
    if (s < 0 || s > kScenes)
        return;
    store.working.setByte(image::kSceneSelect, static_cast<std::uint8_t>(s));
    if (s != 0)
        store.fallbackScene.store(s, std::memory_order_relaxed);
}

std::size_t linkFlagOffset(Link link) {
    switch (link) {
    case Link::Mic:
        return image::kMicLink;
    case Link::Music:
        return image::kMusicLink;
    case Link::Main:
        return image::kMainLink;
    case Link::Rear:
        return image::kRearLink;
    case Link::Surround:
        break;
    }
    return image::kSurroundLink;
}

namespace {

// Calls copy(from, to, length) for every range the link copies.
template <class Copy> void forEachLinkRange(Link link, Copy copy) {
    switch (link) {
    case Link::Mic:
        copy(image::kMic1, image::kMic2, mic::kSize);
        return;
    case Link::Music:
        copy(image::kMusicLeft, image::kMusicRight, music::kSize);
        return;
    case Link::Main:
    case Link::Rear:
    case Link::Surround:
        break;
    }
    const int left = link == Link::Main ? kMainL : link == Link::Rear ? kRearL : kSurroundL;
    // The right channel keeps its own mute (first byte) and delay (last two bytes).
    for (int scene = 1; scene <= kScenes; ++scene)
        copy(outputChannelOffset(scene, left) + 1, outputChannelOffset(scene, left + 1) + 1,
             output::kDelay - 1);
}

} // namespace

void linkCopy(ModeImage& image, Link link) {
    forEachLinkRange(link, [&](std::size_t from, std::size_t to, std::size_t n) {
        image.copyWithin(from, to, n);
    });
}

void linkCopy(ParamStore& store, Link link) {
    forEachLinkRange(link, [&](std::size_t from, std::size_t to, std::size_t n) {
        // The mirror takes the working left member too, so nothing is sent for the copy.
        store.working.copyWithin(from, to, n);
        for (std::size_t i = 0; i < n; ++i)
            store.mirror.setByte(to + i, store.working.byte(from + i));
    });
}

} // namespace kesmo
