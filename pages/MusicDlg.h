#pragma once

#include "pages/EQDlg.h"
#include "pages/PageBindings.h"
#include "pages/PageDlg.h"

namespace kesmo {

class BitButton;
class CFilter;
class GraphView;

// The Music tab: Music Left or Right, one at a time. Fifteen EQ bands through a window of ten
// strips over the response graph, the crossovers, MainMusic HPF and the exciters of the shown
// channel (Music Left while SYNC links the two), the limiter and noise gate the channels share
// (always Music Left's bytes), and Key Control in the system block.
class MusicDlg final : public PageDlg {
    Q_OBJECT
public:
    static constexpr int kStrips = 10;
    static constexpr int kBands = 15;

    MusicDlg(PageHost& host, QWidget* parent);

    void refresh() override;
    void applyUiMode(int uiMode) override;

    int shownChannel() const { return m_shown; }
    int bandWindowFirst() const { return m_row.first(); }
    EQDlg* strip(int i) const { return m_row.strip(i); }
    // The highlighted strip, or nullptr.
    EQDlg* highlightedStrip() const { return m_row.highlighted(); }
    GraphView* graph() const { return m_graph; }

protected:
    std::span<const PageText> texts() const override;
    bool onMessage(Message message, std::intptr_t wParam, std::intptr_t lParam) override;

private:
    bool linked() const;
    int targetChannel() const;
    FieldRef resolve(int block, std::size_t offset) const;
    void crossoverChanged(int sliderId, int code);
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

    GraphView* m_graph = nullptr;
    BitButton* m_sync = nullptr;
    BitButton* m_left = nullptr;
    BitButton* m_right = nullptr;
    BitButton* m_reset = nullptr;
    BitButton* m_bypass = nullptr;
    StripRow m_row;
    int m_shown = 0;
    FieldBinder m_binder;
};

} // namespace kesmo
