#pragma once

#include "pages/PageDlg.h"

namespace kesmo {

// The Mic tab: both microphones.
class Mic_Dlg final : public PageDlg {
    Q_OBJECT
public:
    Mic_Dlg(PageHost& host, QWidget* parent);

    std::span<const PageText> texts() const override;
};

} // namespace kesmo
