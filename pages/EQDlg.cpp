#include "pages/EQDlg.h"

#include "controls/BitmapSlider.h"
#include "controls/FontStatic.h"
#include "controls/NumEdit.h"
#include "filters/BandSets.h"
#include "filters/CFStatic.h"
#include "pages/PageHost.h"
#include "resources/Skin.h"

#include <QComboBox>
#include <QSignalBlocker>
#include <QSlider>

namespace kesmo {

namespace {

enum StripControl : int {
    kBandNumber = 1027,
    kTypeList = 1025,
    kGainEdit = 1022,
    kGainSlider = 1291,
    kFrequencyEdit = 1023,
    kQEdit = 1024,
};

constexpr int kGainMax = 180;
constexpr int kFrequencyMax = 361;
constexpr int kQMax = 100;

// The strip's slider travels the whole scale of its bitmap, -24..+12 dB.
constexpr int kStripGainBottomMargin = 2;

// The band number and the strip's own gain slider.
ControlFactory stripFactory() {
    return [](const ControlTemplate& c, QWidget* parent) -> QWidget* {
        if (c.id == kBandNumber)
            return new FontStatic(parent);
        if (c.id == kGainSlider)
            return newGainSlider(parent, kStripGainBottomMargin);
        return nullptr;
    };
}

} // namespace

BitmapSlider* newGainSlider(QWidget* parent, int bottomMargin) {
    auto* slider = new BitmapSlider(parent);
    slider->setVertical(true);
    slider->setChannelBitmaps(bitmap::kStripChannel, bitmap::kStripChannel);
    slider->setThumbBitmaps(bitmap::kStripThumb, bitmap::kStripThumb, true,
                            QColor::fromRgba(BitmapSlider::kKeyFromPixel), 0, 0);
    slider->setMargins(18, 1, 0, bottomMargin);
    return slider;
}

EQDlg::EQDlg(PageHost& host, QWidget* parent) : PageDlg(136, host, parent, stripFactory()) {
    m_number = control<FontStatic>(kBandNumber);
    m_gain = control<NumEdit>(kGainEdit);
    m_slider = control<BitmapSlider>(kGainSlider);
    m_frequency = control<NumEdit>(kFrequencyEdit);
    m_q = control<NumEdit>(kQEdit);
    m_type = control<QComboBox>(kTypeList);

    m_number->setLeftAligned(false);
    m_gain->setKind(kEditScaled, {});
    m_gain->setScale(0.2);
    m_gain->setOffset(24.0);
    m_gain->setRange(0, kGainMax);
    m_slider->setRange(0, kGainMax);
    m_gain->setBuddy(m_slider);
    m_frequency->setKind(kEditFrequency, {});
    m_frequency->setRange(0, kFrequencyMax);
    m_q->setKind(kEditQ, {});
    m_q->setRange(0, kQMax);
    connect(m_type, &QComboBox::activated, this, &EQDlg::typeChosen);
}

EQDlg::~EQDlg() {
    bindBand(nullptr);
}

CKTVEQ* EQDlg::bandSetOf(int channel) const {
    const bool stripChannel = channel >= layout::kEqMusicLeft &&
                              channel < layout::kEqOutputFirst + layout::kOutputChannels;
    BandSets* sets = host().bandSets();
    return stripChannel && sets != nullptr ? sets->channel(channel) : nullptr;
}

// The strip is the strip window of the band it shows and of no other, so a drag of a band
// that moved out of the strip does not move its slider.
void EQDlg::bindBand(CFilter* band) {
    if (m_band != nullptr && m_band->stripWindow() == this)
        m_band->setStripWindow(nullptr);
    m_band = band;
    if (m_band != nullptr)
        m_band->setStripWindow(this);
}

// An output strip edits its band in the scene being edited: when the scene changed since the
// band was bound (a scene button, a mode that arrived), it takes the new scene's band.
void EQDlg::followScene() {
    const bool output = m_channel >= layout::kEqOutputFirst &&
                        m_channel < layout::kEqOutputFirst + layout::kOutputChannels;
    if (!output)
        return;
    CKTVEQ* set = bandSetOf(m_channel);
    CFilter* band = set != nullptr ? set->filter(m_bandIndex) : nullptr;
    if (band != nullptr && band != m_band)
        bindBand(band);
}

void EQDlg::setChannel(int channel, bool load) {
    m_channel = channel;
    if (!load)
        return;
    if (CKTVEQ* set = bandSetOf(channel); set != nullptr && set->filter(m_bandIndex) != nullptr)
        bindBand(set->filter(m_bandIndex));
    refresh();
}

void EQDlg::setBand(int index) {
    m_bandIndex = index;
    if (CKTVEQ* set = bandSetOf(m_channel); set != nullptr && set->filter(index) != nullptr)
        bindBand(set->filter(index));
    if (m_band == nullptr)
        return;
    m_number->setText(QString::number(index + 1));
    refresh();
}

void EQDlg::refresh() {
    followScene();
    if (m_band == nullptr || !m_band->band())
        return;
    const EqBandView record = *m_band->band();
    {
        const QSignalBlocker quiet(m_type);
        m_type->setCurrentIndex(record.type() < m_type->count() ? record.type() : -1);
    }
    m_gain->setValue(record.gain());
    m_slider->setPosInverted(record.gain());
    m_frequency->setValue(record.freq());
    m_q->setValue(record.q());
}

void EQDlg::refreshWithFocus() {
    followScene();
    if (m_band == nullptr || !m_band->band())
        return;
    const EqBandView record = *m_band->band();
    m_slider->setPosInverted(record.gain());
    m_gain->setValue(record.gain());
    m_gain->setFocus(Qt::OtherFocusReason);
    m_frequency->setValue(record.freq());
    m_q->setValue(record.q());
}

void EQDlg::enableAll(bool enabled) {
    m_number->setEnabled(enabled);
    m_gain->setEnabled(enabled);
    m_slider->enable(enabled);
    m_frequency->setEnabled(enabled);
    m_q->setEnabled(enabled);
    m_type->setEnabled(enabled);
    setEnabled(enabled);
}

void EQDlg::setCaptionColour(const QColor& colour) {
    m_number->setTextColour(colour);
}

QColor EQDlg::captionColour() const {
    return m_number->textColour();
}

void EQDlg::gainCodeDragged(int gainCode) {
    m_slider->setPosInverted(gainCode);
    m_gain->setValue(gainCode);
}

void EQDlg::touched(bool synchronously) {
    if (synchronously)
        sendMessage(parentWidget(), Message::StripTouched, 0, m_bandIndex);
    else
        postMessage(parentWidget(), Message::StripTouched, 0, m_bandIndex);
}

void EQDlg::typeChosen(int index) {
    followScene();
    if (m_band == nullptr)
        return;
    m_band->setType(index);
    touched(true);
    if (m_graph != nullptr)
        m_graph->redraw(m_bandIndex, false);
}

bool EQDlg::onMessage(Message message, std::intptr_t wParam, std::intptr_t lParam) {
    (void)wParam;
    followScene();
    if (m_band == nullptr)
        return PageDlg::onMessage(message, wParam, lParam);
    switch (message) {
    case Message::EditCommitted:
        if (lParam == kGainEdit) {
            const int code = m_gain->getValue();
            m_band->setGainCode(code);
            m_slider->setPosInverted(code);
        } else if (lParam == kFrequencyEdit) {
            m_band->setFrequencyCode(m_frequency->getValue());
        } else if (lParam == kQEdit) {
            m_band->setQCode(m_q->getValue());
        } else {
            return true;
        }
        touched(true);
        break;
    case Message::SliderTracking:
    case Message::SliderChanged: {
        const int code = m_slider->getPosInverted();
        m_band->setGainCode(code);
        m_gain->setValue(code);
        touched(false);
        m_gain->setFocus(Qt::OtherFocusReason);
        break;
    }
    default:
        return PageDlg::onMessage(message, wParam, lParam);
    }
    if (m_graph != nullptr)
        m_graph->redraw(m_bandIndex, false);
    return true;
}

ControlFactory graphControlFactory(PageHost& host) {
    return [&host](const ControlTemplate& c, QWidget* parent) -> QWidget* {
        if (c.kind == ControlKind::Graph)
            return new GraphView(host.store(), host.bandSets(), parent);
        return nullptr;
    };
}

namespace {
const QColor kHighlightedNumber(255, 0, 0);
const QColor kNumber(0, 0, 0);
} // namespace

StripRow::StripRow(PageDlg& page, GraphView* graph, QSlider* window, const Layout& layout,
                   int channel)
    : m_window(window), m_layout(layout) {
    for (int i = 0; i < layout.strips; ++i) {
        auto* strip = new EQDlg(page.host(), &page);
        strip->setGraph(graph);
        strip->move(layout.first + QPoint(layout.step * i, 0));
        strip->show();
        strip->setChannel(channel, false);
        strip->setBand(i);
        m_strips.push_back(strip);
    }
    if (m_window == nullptr)
        return;
    m_window->setRange(0, std::max(layout.bands - layout.strips, 0));
    m_window->setPageStep(1);
    m_window->setValue(0);
    QObject::connect(m_window, &QSlider::valueChanged, &page, [this](int p) { moveTo(p); });
}

void StripRow::setChannel(int channel) {
    clearHighlight();
    for (EQDlg* strip : m_strips)
        strip->setChannel(channel, true);
}

void StripRow::moveTo(int first) {
    m_first = first;
    if (m_window != nullptr && m_window->value() != first) {
        const QSignalBlocker quiet(m_window);
        m_window->setValue(first);
    }
    rebind();
}

void StripRow::rebind() {
    clearHighlight();
    for (std::size_t i = 0; i < m_strips.size(); ++i) {
        m_strips[i]->setBand(m_first + static_cast<int>(i));
        m_strips[i]->refresh();
    }
}

void StripRow::refresh() {
    for (EQDlg* strip : m_strips)
        strip->refresh();
}

void StripRow::highlight(int band) {
    const int k = band - m_first;
    if (k < 0 || k >= count())
        return;
    EQDlg* strip = m_strips[static_cast<std::size_t>(k)];
    if (strip == m_highlighted)
        return;
    if (m_highlighted != nullptr)
        m_highlighted->setCaptionColour(kNumber);
    m_highlighted = strip;
    strip->setCaptionColour(kHighlightedNumber);
}

void StripRow::clearHighlight() {
    if (m_highlighted != nullptr)
        m_highlighted->setCaptionColour(kNumber);
    m_highlighted = nullptr;
}

void StripRow::bandPicked(int band) {
    if (band < 0 || band >= m_layout.bands)
        return;
    const int last = m_first + count() - 1;
    if (band < m_first || band > last) {
        const int position = band > count() - 1 ? band - (count() - 1) : 0;
        if (position != m_first)
            moveTo(position);
    }
    m_strips[static_cast<std::size_t>(band - m_first)]->refreshWithFocus();
    highlight(band);
}

void StripRow::enableAll(bool enabled) {
    for (EQDlg* strip : m_strips)
        strip->enableAll(enabled);
}

void CrossoverControls::edited(GraphView& graph, CKTVEQ* set, int controlId, int code) const {
    if (set == nullptr)
        return;
    const bool high = controlId == hpfSlider || controlId == hpfSlope;
    const bool low = controlId == lpfSlider || controlId == lpfSlope;
    CFilter* filter = high ? set->highPass() : low ? set->lowPass() : nullptr;
    if (filter == nullptr)
        return;
    if (controlId == hpfSlope || controlId == lpfSlope)
        filter->setSlope(code);
    else
        filter->setCrossoverFrequencyCode(code);
    graph.redraw(high ? set->highPassIndex() : set->lowPassIndex(), false);
}

void CrossoverControls::picked(StripRow& row, const FieldBinder& binder, CKTVEQ* set,
                               int index) const {
    if (set == nullptr)
        return;
    if (index >= 0 && index < set->bandCount()) {
        row.bandPicked(index);
    } else if (index == set->highPassIndex() || index == set->lowPassIndex()) {
        const int sliderId = index == set->highPassIndex() ? hpfSlider : lpfSlider;
        if (const SliderRow* slider = binder.sliderRow(sliderId))
            binder.refreshSlider(*slider);
    }
}

} // namespace kesmo
