#include "pages/Effect_Dlg.h"

#include "controls/BitButton.h"
#include "filters/CFStatic.h"
#include "model/Layout.h"
#include "pages/EQDlg.h"
#include "pages/Echo_Dlg.h"
#include "pages/Rev_Dlg.h"
#include "resources/Skin.h"

namespace kesmo {

namespace {

using namespace layout;

enum EffectControl : int {
    kEchoAButton = 1064,
    kEchoBButton = 1065,
    kReverbButton = 1066,
    kGraph = 1297,
};

const QPoint kPanelPosition(100, 0);

// The selector buttons of the three sub-pages.
constexpr PageText kTexts[] = {
    {kEchoAButton, "回声A", "EchoA"},
    {kEchoBButton, "回声B", "EchoB"},
    {kReverbButton, "混响", "Reverb"},
};

} // namespace

Effect_Dlg::Effect_Dlg(PageHost& host, QWidget* parent)
    : PageDlg(146, host, parent, graphControlFactory(host)), m_currentEffectChannel(kEqEchoA),
      m_graph(control<GraphView>(kGraph)) {
    m_graph->setup();
    m_graph->setNotifyTarget(this);
    m_graph->layoutPage(kGraphEffects);
    m_graph->selectChannel(kEqEchoA);

    m_echo = new Echo_Dlg(host, this, m_graph, m_currentEffectChannel);
    m_echo->move(kPanelPosition);
    m_echo->hide();
    m_reverb = new Rev_Dlg(host, this, m_graph);
    m_reverb->move(kPanelPosition);
    m_reverb->hide();

    m_echoA = control<BitButton>(kEchoAButton);
    m_echoB = control<BitButton>(kEchoBButton);
    m_reverbButton = control<BitButton>(kReverbButton);
    for (BitButton* button : {m_echoA, m_echoB, m_reverbButton})
        button->setBitmaps(bitmap::kSelectorUp, bitmap::kSelectorUp, bitmap::kSelectorUp,
                           bitmap::kSelectorDown, bitmap::kSelectorDown, bitmap::kSelectorDown);
    connect(m_echoA, &BitButton::clicked, this, [this] { selectChannel(kEqEchoA); });
    connect(m_echoB, &BitButton::clicked, this, [this] { selectChannel(kEqEchoB); });
    connect(m_reverbButton, &BitButton::clicked, this, [this] { selectChannel(kEqReverb); });
}

std::span<const PageText> Effect_Dlg::texts() const {
    return kTexts;
}

void Effect_Dlg::refreshTexts() {
    PageDlg::refreshTexts();
    m_echo->refreshTexts();
    m_reverb->refreshTexts();
}

void Effect_Dlg::applyUiMode(int uiMode) {
    m_echo->applyUiMode(uiMode);
    m_reverb->applyUiMode(uiMode);
}

void Effect_Dlg::selectChannel(int channel) {
    if (channel == m_currentEffectChannel)
        return;
    m_currentEffectChannel = channel;
    if (channel == kEqEchoA || channel == kEqEchoB)
        m_echo->switchChannel(channel);
    m_graph->selectChannel(channel);
    refresh();
}

void Effect_Dlg::refresh() {
    const int channel = m_currentEffectChannel;
    if (channel == kEqEchoA || channel == kEqEchoB) {
        m_echo->show();
        m_echo->refresh();
        m_reverb->hide();
    } else if (channel == kEqReverb) {
        m_echo->hide();
        m_reverb->show();
        m_reverb->refresh();
    }
    m_echoA->setDown(channel == kEqEchoA);
    m_echoB->setDown(channel == kEqEchoB);
    m_reverbButton->setDown(channel == kEqReverb);
    m_graph->redraw(-1, false);
}

bool Effect_Dlg::onMessage(Message message, std::intptr_t wParam, std::intptr_t lParam) {
    if (message != Message::GraphBandSelected)
        return PageDlg::onMessage(message, wParam, lParam);
    // The graph names its channel: a band of the reverb goes to the reverb panel even while
    // the echo panel is shown.
    if (wParam == kEqEchoA || wParam == kEqEchoB)
        m_echo->selectBand(static_cast<int>(lParam));
    else if (wParam == kEqReverb)
        m_reverb->selectBand(static_cast<int>(lParam));
    return true;
}

} // namespace kesmo
