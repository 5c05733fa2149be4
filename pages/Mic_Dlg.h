#pragma once

#include "pages/ChannelPairPage.h"

namespace kesmo {

// The Mic tab: Mic 1 or Mic 2, one at a time. Twenty EQ bands through a window of ten strips
// over the response graph, and every other parameter of the shown microphone's block (Mic 1's
// while SYNC links the two): crossovers, mic level, feedback suppression, compressor, noise
// gate and exciters.
class Mic_Dlg final : public ChannelPairPage {
    Q_OBJECT
public:
    static constexpr int kBands = 20;

    Mic_Dlg(PageHost& host, QWidget* parent);

    void applyUiMode(int uiMode) override;
    std::span<const PageText> texts() const override;
};

} // namespace kesmo
