#pragma once

#include "pages/ChannelPairPage.h"

namespace kesmo {

// Flips musicLink, the SYNC of the Music and dynamic EQ pages (see toggleLinkFlag).
bool toggleMusicLink(ParamStore& store);

// The Music tab: Music Left or Right, one at a time. Fifteen EQ bands through a window of ten
// strips over the response graph, the crossovers, MainMusic HPF and the exciters of the shown
// channel (Music Left while SYNC links the two), the limiter and noise gate the channels share
// (always Music Left's bytes), and Key Control in the system block.
class MusicDlg final : public ChannelPairPage {
    Q_OBJECT
public:
    static constexpr int kBands = 15;

    MusicDlg(PageHost& host, QWidget* parent);

    void applyUiMode(int uiMode) override;

protected:
    std::span<const PageText> texts() const override;
    FieldRef resolveBlock(int block, std::size_t offset) const override;
};

} // namespace kesmo
