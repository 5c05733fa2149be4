#pragma once

#include "pages/PageDlg.h"

namespace kesmo {

// The Effect tab: Echo A, Echo B and the reverb.
class Effect_Dlg final : public PageDlg {
    Q_OBJECT
public:
    Effect_Dlg(PageHost& host, QWidget* parent);

    std::span<const PageText> texts() const override;
};

} // namespace kesmo
