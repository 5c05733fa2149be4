#pragma once

#include "pages/PageDlg.h"

namespace kesmo {

// The output tabs 4..8: one page for the channel group of the tab shown.
class MainDlg final : public PageDlg {
    Q_OBJECT
public:
    MainDlg(PageHost& host, QWidget* parent);

    // Shows the channel group of tab 4..8 (Main, Center, SUB, Rear, Surround).
    void showGroup(int tab);
    int group() const { return m_group; }

protected:
    std::span<const PageText> texts() const override;

private:
    int m_group = 4;
};

} // namespace kesmo
