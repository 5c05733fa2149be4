#pragma once

#include "pages/EQDlg.h"
#include "pages/PageBindings.h"
#include "pages/PageDlg.h"

#include <cstddef>
#include <span>

namespace kesmo {

class BitButton;
class CFilter;
class GraphView;
class ParamStore;

// Flips a link flag under the model lock; switching it off copies the left block over the
// right one in the working image and the mirror. Returns whether the link is now on.
bool toggleLinkFlag(ParamStore& store, std::size_t linkByte,
                    void (*copyLink)(ParamStore& store, bool rebind));

// A page that edits one of two channels at a time (Music Left or Right, Mic 1 or Mic 2): a
// window of ten strips over the response graph, the channel's crossovers and the rest of its
// block through binding tables, the EQ Reset and EQ Bypass buttons, and SYNC, which links the
// right channel to the left one. While linked the page edits the left channel only; switching
// the link off copies the left block over the right one, mirror included, so nothing is sent.
class ChannelPairPage : public PageDlg {
    Q_OBJECT
public:
    static constexpr int kStrips = 10;
    // The block of the channel the controls edit; pages number their other blocks from 1.
    static constexpr int kTargetBlock = 0;

    // What tells the two pages apart.
    struct Pair {
        int templateId;
        int left, right;                   // EqChannels
        std::size_t leftBlock, rightBlock; // image offsets of their blocks
        std::size_t linkByte;              // image offset of the link flag
        std::size_t eqBypass;              // within a block
        void (*copyLink)(ParamStore& store, bool rebind);
        int graphKind;
        int bands;
        int bandWindowId, graphId;
        int hpfSlider, lpfSlider, hpfSlope, lpfSlope;
    };

    void refresh() override;

    int shownChannel() const { return m_shown; }
    int bandWindowFirst() const { return m_row.first(); }
    EQDlg* strip(int i) const { return m_row.strip(i); }
    // The highlighted strip, or nullptr.
    EQDlg* highlightedStrip() const { return m_row.highlighted(); }
    GraphView* graph() const { return m_graph; }

protected:
    ChannelPairPage(const Pair& pair, PageHost& host, QWidget* parent,
                    std::span<const SliderRow> sliders, std::span<const ComboRow> combos);

    bool onMessage(Message message, std::intptr_t wParam, std::intptr_t lParam) override;
    // A field of a block other than the target; none by default.
    virtual FieldRef resolveBlock(int block, std::size_t offset) const;
    FieldRef resolve(int block, std::size_t offset) const;
    // Full mode enables, Easy mode disables: sliders through their own flag, the rest through
    // the widget's.
    void enableFullModeControls(int uiMode, std::span<const int> sliders,
                                std::span<const int> controls);

private:
    bool linked() const;
    int targetChannel() const;
    CFilter* crossover(int controlId) const;
    void crossoverChanged(int controlId, int code);
    void sliderMoved(int sliderId, int position);
    void editCommitted(int editId);
    void comboChosen(int comboId, int index);
    void bandPicked(int index);
    void showChannel(int channel);
    void chooseChannel(int channel);
    void toggleSync();
    void resetEqClicked();
    void toggleBypass();
    void refreshChannelButtons();

    Pair m_pair;
    GraphView* m_graph = nullptr;
    BitButton* m_sync = nullptr;
    BitButton* m_left = nullptr;
    BitButton* m_right = nullptr;
    BitButton* m_bypass = nullptr;
    StripRow m_row;
    int m_shown = 0;
    FieldBinder m_binder;
};

} // namespace kesmo
