#pragma once

#include "pages/PageDlg.h"

namespace kesmo {

// The dynamic EQ tab: three dynamic bands of each music channel.
class DEQ_Dlg final : public PageDlg {
    Q_OBJECT
public:
    DEQ_Dlg(PageHost& host, QWidget* parent);

    std::span<const PageText> texts() const override;
};

} // namespace kesmo
