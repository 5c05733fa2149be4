#pragma once

#include "pages/EffectPanel.h"

namespace kesmo {

// The reverb panel: always the reverb block, channel 6.
class Rev_Dlg final : public EffectPanel {
    Q_OBJECT
public:
    Rev_Dlg(PageHost& host, QWidget* parent, GraphView* graph);

protected:
    std::span<const PageText> texts() const override;
    int chooseTarget() const override;
};

} // namespace kesmo
