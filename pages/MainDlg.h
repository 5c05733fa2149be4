#pragma once

#include "pages/EQDlg.h"
#include "pages/PageBindings.h"
#include "pages/PageDlg.h"

#include <array>

namespace kesmo {

class BitButton;
class CFilter;
class GraphView;
struct OutputToggle;

// The output tabs 4..8: one page for the channel group of the tab shown, in the scene being
// edited. The shown channel's EQ, crossovers, EQ Pass and source levels; the group's limiter
// (always the left channel's bytes), mutes and delays; the scene buttons. While "Auto" is
// selected the page shows the edited scene with every editing control disabled.
class MainDlg final : public PageDlg {
    Q_OBJECT
public:
    static constexpr int kStrips = 10;

    MainDlg(PageHost& host, QWidget* parent);

    // Shows the channel group of tab 4..8 (Main, Center, SUB, Rear, Surround); a single channel
    // (Center, SUB) hides the controls of a pair's right channel and link.
    void showGroup(int tab);
    int group() const { return m_group; }
    // EqChannel 8..15 of the group's channel the page edits.
    int shownChannel() const;

    void refresh() override;
    void refreshTexts() override;
    void applyUiMode(int uiMode) override;

    EQDlg* strip(int i) const { return m_row.strip(i); }
    // The highlighted strip, or nullptr.
    EQDlg* highlightedStrip() const { return m_row.highlighted(); }
    GraphView* graph() const { return m_graph; }

    std::span<const PageText> texts() const override;
    // The captions that name the group of tab 4..8: channel buttons, mutes, limiter title and
    // delay captions. Center and SUB have no right channel, so no texts for its controls.
    static std::span<const PageText> groupTexts(int tab);

protected:
    bool onMessage(Message message, std::intptr_t wParam, std::intptr_t lParam) override;

private:
    bool pair() const;
    bool linked() const;
    bool editable() const;
    FieldRef resolve(int block, std::size_t offset) const;
    void applyGroupTexts();
    void applyEnables();
    void showChannel(int channel);
    void chooseChannel(int channel);
    void chooseScene(int scene);
    void toggleSync();
    void toggle(const OutputToggle& row);
    void resetEqClicked();
    void crossoverChanged(int controlId, int code);
    void sliderMoved(int sliderId, int position);
    void editCommitted(int editId);
    void comboChosen(int comboId, int index);
    void bandPicked(int index);

    GraphView* m_graph = nullptr;
    StripRow m_row;
    FieldBinder m_binder;
    // The delays again, in metres.
    FieldBinder m_metres;
    int m_group = 4;
    // Shown channel by tab 4..8; a pair keeps its own across tab switches.
    std::array<int, 5> m_shown{8, 10, 11, 12, 14};
    int m_uiMode = 1;
};

} // namespace kesmo
