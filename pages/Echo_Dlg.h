#pragma once

#include "pages/EffectPanel.h"

namespace kesmo {

// The panel of Echo A and Echo B: one panel, re-targeted by the effect page. The volumes, the
// crossovers, the delays and the repeat edit the block of the channel the last refresh chose.
class Echo_Dlg final : public EffectPanel {
    Q_OBJECT
public:
    // `currentEffectChannel` is the effect page's: 4 Echo A, 5 Echo B, 6 reverb.
    Echo_Dlg(PageHost& host, QWidget* parent, GraphView* graph, const int& currentEffectChannel);

    // n = 4 or 5: the strips edit channel n, the highlight is cleared; refresh follows.
    void switchChannel(int channel);

protected:
    std::span<const PageText> texts() const override;
    int chooseTarget() const override;

private:
    const int& m_currentEffectChannel;
};

} // namespace kesmo
