#pragma once

#include "filters/KTVEQ.h"
#include "model/WorkingModel.h"

#include <array>

namespace kesmo {

// The 34 band sets of a store's working image: one per EqChannel 0..7, 16 and 17, and one per
// output channel in each of the three scenes. Registers itself as the store's binder for as
// long as it lives.
class BandSets final : public BandSetBinder {
public:
    explicit BandSets(ParamStore& store);
    ~BandSets() override;
    BandSets(const BandSets&) = delete;
    BandSets& operator=(const BandSets&) = delete;

    // EqChannel 0..17, 8..15 meaning the channel of the edited scene; nullptr for others.
    CKTVEQ* channel(int eqChannel);
    // Output channel of memory index 0..7 in scene 1..3; nullptr for others.
    CKTVEQ* output(int scene, int index);

    void rebindAll() override;
    void rebindChannel(int eqChannel) override;
    void rebindOutputChannel(int scene, int index) override;

private:
    static constexpr int kFixedSets = 10; // EqChannel 0..7, then 16 and 17
    static constexpr int kOutputSets = layout::kScenes * layout::kOutputChannels;

    ParamStore& m_store;
    std::array<CKTVEQ, kFixedSets> m_fixed;
    std::array<CKTVEQ, kOutputSets> m_outputs;
};

} // namespace kesmo
