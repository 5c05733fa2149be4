#pragma once

#include "pages/PageDlg.h"

namespace kesmo {

class BitButton;
class Echo_Dlg;
class GraphView;
class Rev_Dlg;

// The Effect tab: Echo A, Echo B and the reverb. One graph, three selector buttons, the echo
// panel serving both echoes and the reverb panel; one panel is shown at a time.
class Effect_Dlg final : public PageDlg {
    Q_OBJECT
public:
    Effect_Dlg(PageHost& host, QWidget* parent);

    // Shows the panel of currentEffectChannel and reloads it; the graph highlights no band.
    void refresh() override;
    void refreshTexts() override;
    void applyUiMode(int uiMode) override;
    // 4 Echo A, 5 Echo B, 6 reverb; a channel already shown changes nothing.
    void selectChannel(int channel);

    std::span<const PageText> texts() const override;

    // The effect sub-page shown: 4 Echo A, 5 Echo B, 6 reverb. It survives tab changes and
    // reloads, so the tab reopens on the sub-page last chosen.
    int currentEffectChannel() const { return m_currentEffectChannel; }
    GraphView* graph() const { return m_graph; }
    Echo_Dlg* echoPanel() const { return m_echo; }
    Rev_Dlg* reverbPanel() const { return m_reverb; }

protected:
    bool onMessage(Message message, std::intptr_t wParam, std::intptr_t lParam) override;

private:
    int m_currentEffectChannel;
    GraphView* m_graph = nullptr;
    BitButton* m_echoA = nullptr;
    BitButton* m_echoB = nullptr;
    BitButton* m_reverbButton = nullptr;
    Echo_Dlg* m_echo = nullptr;
    Rev_Dlg* m_reverb = nullptr;
};

} // namespace kesmo
