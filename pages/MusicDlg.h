#pragma once

#include "pages/PageDlg.h"

namespace kesmo {

// The Music tab: both music channels, their EQ, filters, exciters, limiter and gate.
class MusicDlg final : public PageDlg {
    Q_OBJECT
public:
    MusicDlg(PageHost& host, QWidget* parent);

protected:
    std::span<const PageText> texts() const override;
};

} // namespace kesmo
