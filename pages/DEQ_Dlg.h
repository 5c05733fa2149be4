#pragma once

#include "pages/PageBindings.h"
#include "pages/PageDlg.h"

namespace kesmo {

class BitButton;
class CFilter;
class GraphView;

// The dynamic EQ tab: the three dynamic bands of Music Left or Right (Music Left while SYNC
// links the two), each a column of EQ controls written through the band's filter and a
// compressor whose bytes the page writes itself. The SYNC button is the Music page's link flag.
class DEQ_Dlg final : public PageDlg {
    Q_OBJECT
public:
    static constexpr int kBands = 3;

    DEQ_Dlg(PageHost& host, QWidget* parent);

    void refresh() override;
    void applyUiMode(int uiMode) override;
    std::span<const PageText> texts() const override;

    // EqChannel 16 (Music Left) or 17 (Music Right).
    int shownChannel() const { return m_shown; }
    GraphView* graph() const { return m_graph; }

protected:
    bool onMessage(Message message, std::intptr_t wParam, std::intptr_t lParam) override;

private:
    bool linked() const;
    FieldRef resolve(int block, std::size_t offset) const;
    CFilter* band(int k) const;
    void loadBand(int k);
    void typeChosen(int k, int index);
    void editCommitted(int editId);
    void sliderMoved(int sliderId);
    void chooseChannel(int channel);
    void toggleSync();
    void resetEqClicked();
    void refreshChannelButtons();

    GraphView* m_graph = nullptr;
    BitButton* m_sync = nullptr;
    BitButton* m_left = nullptr;
    BitButton* m_right = nullptr;
    BitButton* m_reset = nullptr;
    int m_shown;
    bool m_fullMode = true;
    FieldBinder m_binder;
};

} // namespace kesmo
