#pragma once

#include "pages/EQDlg.h"
#include "pages/PageBindings.h"
#include "pages/PageDlg.h"

#include <span>

namespace kesmo {

class BitButton;
class CFilter;
class GraphView;

// The ids of what an effect panel handles beyond its binding tables.
struct EffectPanelControls {
    int highPassSlider, lowPassSlider;
    int highPassSlope, lowPassSlope;
    int wetToggle, dryToggle;
    int resetButton, bypassButton;
    // Disabled in Easy mode: sliders through their own flag, labels through the widget's.
    std::span<const int> fullModeSliders;
    std::span<const int> fullModeLabels;
};

// What the echo and reverb panels share: seven strips over the effect page's graph, the
// crossovers, the wet and dry volumes with their sign toggles, EQ Reset and EQ pass, and the
// page's sliders and combos bound to one effect block of the working image.
class EffectPanel : public PageDlg {
    Q_OBJECT
public:
    static constexpr int kStrips = 7;

    // Call refresh: which block the panel edits, and every control, follow the image.
    void refresh() override;
    void applyUiMode(int uiMode) override;
    // A band picked on the graph: 0..6 a strip, 7 the high-pass, 8 the low-pass.
    void selectBand(int index);

    // The effect channel whose block the controls edit: 4 Echo A, 5 Echo B, 6 reverb.
    int targetChannel() const { return m_target; }
    EQDlg* strip(int i) const { return m_row.strip(i); }
    // The highlighted strip, or nullptr.
    EQDlg* highlightedStrip() const { return m_row.highlighted(); }

protected:
    EffectPanel(int templateId, PageHost& host, QWidget* parent, GraphView* graph, int channel,
                std::span<const SliderRow> sliders, std::span<const ComboRow> combos,
                const EffectPanelControls& controls);

    // The channel refresh targets; the panel's previous target when it names none.
    virtual int chooseTarget() const = 0;
    StripRow& row() { return m_row; }

    bool onMessage(Message message, std::intptr_t wParam, std::intptr_t lParam) override;

private:
    FieldRef resolve(std::size_t offset) const;
    CKTVEQ* bandSet() const;
    // The crossover filter a slider or slope combo edits, or nullptr.
    CFilter* crossover(int controlId) const;
    void crossoverChanged(int controlId, int code);
    void sliderMoved(int sliderId, int position);
    void editCommitted(int editId);
    void comboChosen(int comboId, int index);
    void toggle(std::size_t offset, BitButton* button);
    void resetEqClicked();

    GraphView* m_graph;
    EffectPanelControls m_controls;
    BitButton* m_wet = nullptr;
    BitButton* m_dry = nullptr;
    BitButton* m_bypass = nullptr;
    StripRow m_row;
    int m_target;
    FieldBinder m_binder;
};

// Where an effect channel's block starts in the mode image: Echo A, Echo B or the reverb.
std::size_t effectBlockOffset(int channel);

} // namespace kesmo
