#include "pages/ChannelPairPage.h"

#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "devicelink/LinkState.h"
#include "filters/BandSets.h"
#include "filters/CFStatic.h"
#include "filters/KTVEQ.h"
#include "model/WorkingModel.h"
#include "pages/PageHost.h"

#include <QSlider>
#include <mutex>

namespace kesmo {

namespace {

// Both templates number their EQ buttons alike.
enum PairButton : int {
    kSyncButton = 1064,
    kLeftButton = 1065,
    kRightButton = 1066,
    kResetButton = 1067,
    kBypassButton = 1068,
};

constexpr QPoint kFirstStrip{60, 5};
constexpr int kStripStep = 58;

} // namespace

ChannelPairPage::ChannelPairPage(const Pair& pair, PageHost& host, QWidget* parent,
                                 std::span<const SliderRow> sliders,
                                 std::span<const ComboRow> combos)
    : PageDlg(pair.templateId, host, parent, graphControlFactory(host)), m_pair(pair),
      m_graph(control<GraphView>(pair.graphId)),
      m_row(*this, m_graph, control<QSlider>(pair.bandWindowId),
            {kStrips, pair.bands, kFirstStrip, kStripStep}, pair.left),
      m_shown(pair.left), m_binder(built(), sliders, combos, [this](int block, std::size_t offset) {
          return resolve(block, offset);
      }) {
    m_sync = control<BitButton>(kSyncButton);
    m_left = control<BitButton>(kLeftButton);
    m_right = control<BitButton>(kRightButton);
    m_bypass = control<BitButton>(kBypassButton);

    m_graph->setup();
    m_graph->setNotifyTarget(this);
    m_graph->layoutPage(pair.graphKind);
    m_graph->selectChannel(pair.left);
    for (int i = 0; i < m_row.count(); ++i)
        watchKeys(m_row.strip(i));

    m_binder.setUp();
    m_binder.connectCombos([this](int id, int index) { comboChosen(id, index); });
    connect(m_sync, &BitButton::clicked, this, &ChannelPairPage::toggleSync);
    connect(m_left, &BitButton::clicked, this, [this] { chooseChannel(m_pair.left); });
    connect(m_right, &BitButton::clicked, this, [this] { chooseChannel(m_pair.right); });
    connect(control<BitButton>(kResetButton), &BitButton::clicked, this,
            &ChannelPairPage::resetEqClicked);
    connect(m_bypass, &BitButton::clicked, this, &ChannelPairPage::toggleBypass);
}

bool ChannelPairPage::linked() const {
    return host().store().working.byte(m_pair.linkByte) != 0;
}

int ChannelPairPage::targetChannel() const {
    return linked() ? m_pair.left : m_shown;
}

FieldRef ChannelPairPage::resolveBlock(int block, std::size_t offset) const {
    (void)block;
    (void)offset;
    return {};
}

FieldRef ChannelPairPage::resolve(int block, std::size_t offset) const {
    if (block != kTargetBlock)
        return resolveBlock(block, offset);
    const bool right = targetChannel() == m_pair.right;
    return {host().store().working, (right ? m_pair.rightBlock : m_pair.leftBlock) + offset};
}

// The high- or low-pass filter object a crossover control edits, or nullptr.
CFilter* ChannelPairPage::crossover(int controlId) const {
    BandSets* sets = host().bandSets();
    CKTVEQ* set = sets != nullptr ? sets->channel(targetChannel()) : nullptr;
    if (set == nullptr)
        return nullptr;
    if (controlId == m_pair.hpfSlider || controlId == m_pair.hpfSlope)
        return set->highPass();
    if (controlId == m_pair.lpfSlider || controlId == m_pair.lpfSlope)
        return set->lowPass();
    return nullptr;
}

// The record is written by the table; the filter object writes it again and recomputes the
// curve, and the graph shows the crossover highlighted.
void ChannelPairPage::crossoverChanged(int controlId, int code) {
    CFilter* filter = crossover(controlId);
    if (filter == nullptr)
        return;
    if (controlId == m_pair.hpfSlope || controlId == m_pair.lpfSlope)
        filter->setSlope(code);
    else
        filter->setCrossoverFrequencyCode(code);
    CKTVEQ* set = host().bandSets()->channel(targetChannel());
    const bool high = filter == set->highPass();
    m_graph->redraw(high ? set->highPassIndex() : set->lowPassIndex(), false);
}

void ChannelPairPage::sliderMoved(int sliderId, int position) {
    if (const SliderRow* row = m_binder.sliderMoved(sliderId, position))
        crossoverChanged(row->sliderId, readField(m_binder.field(*row), row->shape));
}

void ChannelPairPage::editCommitted(int editId) {
    if (const SliderRow* row = m_binder.editCommitted(editId))
        crossoverChanged(row->sliderId, readField(m_binder.field(*row), row->shape));
}

void ChannelPairPage::comboChosen(int comboId, int index) {
    if (m_binder.comboChanged(comboId, index) != nullptr && index >= 0)
        crossoverChanged(comboId, index);
}

bool ChannelPairPage::onMessage(Message message, std::intptr_t wParam, std::intptr_t lParam) {
    switch (message) {
    case Message::SliderTracking:
    case Message::SliderChanged:
        if (auto* slider = control<BitmapSlider>(static_cast<int>(wParam)))
            sliderMoved(static_cast<int>(wParam), slider->getPos());
        return true;
    case Message::EditCommitted:
        editCommitted(static_cast<int>(lParam));
        return true;
    case Message::StripTouched:
        m_row.highlight(static_cast<int>(lParam));
        return true;
    case Message::GraphBandSelected:
        bandPicked(static_cast<int>(lParam));
        return true;
    default:
        return PageDlg::onMessage(message, wParam, lParam);
    }
}

void ChannelPairPage::bandPicked(int index) {
    CKTVEQ* set = m_graph->bandSet();
    if (set == nullptr)
        return;
    if (index >= 0 && index < set->bandCount()) {
        m_row.bandPicked(index);
    } else if (index == set->highPassIndex() || index == set->lowPassIndex()) {
        const int sliderId = index == set->highPassIndex() ? m_pair.hpfSlider : m_pair.lpfSlider;
        if (const SliderRow* row = m_binder.sliderRow(sliderId))
            m_binder.refreshSlider(*row);
    }
}

void ChannelPairPage::showChannel(int channel) {
    m_shown = channel;
    m_row.setChannel(channel);
}

void ChannelPairPage::chooseChannel(int channel) {
    if (channel == m_shown)
        return;
    showChannel(channel);
    refresh();
}

void ChannelPairPage::refreshChannelButtons() {
    const bool link = linked();
    m_sync->setDown(link);
    m_left->setEnabled(!link);
    m_right->setEnabled(!link);
    m_left->setDown(!link && m_shown == m_pair.left);
    m_right->setDown(!link && m_shown == m_pair.right);
}

void ChannelPairPage::refresh() {
    // A mode that arrives linked while the right channel is shown: the strips and the graph
    // follow the channel the controls edit.
    if (linked() && m_shown != m_pair.left)
        showChannel(m_pair.left);
    m_row.refresh();
    refreshChannelButtons();
    m_bypass->setDown(resolve(kTargetBlock, m_pair.eqBypass).byte() != 0);
    m_binder.refresh();
    m_graph->selectChannel(m_shown);
    m_graph->redraw(-1, false);
}

bool toggleLinkFlag(ParamStore& store, std::size_t linkByte,
                    void (*copyLink)(ParamStore& store, bool rebind)) {
    const std::lock_guard lock(modelLock());
    const bool nowLinked = store.working.byte(linkByte) == 0;
    store.working.setByte(linkByte, nowLinked ? 1 : 0);
    if (!nowLinked)
        copyLink(store, true);
    return nowLinked;
}

void ChannelPairPage::toggleSync() {
    toggleLinkFlag(host().store(), m_pair.linkByte, m_pair.copyLink);
    if (linked() && m_shown != m_pair.left) {
        showChannel(m_pair.left);
        refresh();
    } else if (!linked()) {
        // The right channel now holds the left one's values.
        m_row.refresh();
        m_graph->redraw(-1, false);
    }
    refreshChannelButtons();
}

void ChannelPairPage::resetEqClicked() {
    resetEq(host().store(), m_shown);
    m_row.moveTo(m_row.first());
    m_graph->selectChannel(m_shown);
    m_graph->redraw(-1, false);
}

void ChannelPairPage::toggleBypass() {
    const FieldRef bypass = resolve(kTargetBlock, m_pair.eqBypass);
    const bool on = bypass.byte() == 0;
    bypass.setByte(on ? 1 : 0);
    m_graph->redraw(-1, false);
    m_bypass->setDown(on);
}

void ChannelPairPage::enableFullModeControls(int uiMode, std::span<const int> sliders,
                                             std::span<const int> controls) {
    const bool full = uiMode == 1;
    for (int id : sliders)
        if (auto* slider = control<BitmapSlider>(id))
            slider->enable(full);
    for (int id : controls)
        if (QWidget* widget = control(id))
            widget->setEnabled(full);
}

} // namespace kesmo
