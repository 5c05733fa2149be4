#pragma once

#include "pages/PageDlg.h"

namespace kesmo {

// The System tab: meters, authority, passwords, device settings and stored modes.
class SysDlg final : public PageDlg {
    Q_OBJECT
public:
    SysDlg(PageHost& host, QWidget* parent);

    // The meter levels (12) or limits (24) arrived.
    void lampsArrived(int which);
    // Every meter dark, as while not connected.
    void clearMeters();

protected:
    std::span<const PageText> texts() const override;
};

} // namespace kesmo
