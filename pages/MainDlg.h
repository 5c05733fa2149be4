#pragma once

#include "pages/PageDlg.h"

namespace kesmo {

// The output tabs 4..8: one page for the channel group of the tab shown.
class MainDlg final : public PageDlg {
    Q_OBJECT
public:
    MainDlg(PageHost& host, QWidget* parent);

    // Shows the channel group of tab 4..8 (Main, Center, SUB, Rear, Surround); a single channel
    // (Center, SUB) hides the controls of a pair's right channel and link.
    void showGroup(int tab);
    int group() const { return m_group; }

    void refresh() override;
    void refreshTexts() override;

    std::span<const PageText> texts() const override;
    // The captions that name the group of tab 4..8: channel buttons, mutes, limiter title and
    // delay captions. Center and SUB have no right channel, so no texts for its controls.
    static std::span<const PageText> groupTexts(int tab);

private:
    void applyGroupTexts();

    int m_group = 4;
};

} // namespace kesmo
