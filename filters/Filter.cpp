#include "filters/Filter.h"

#include <algorithm>
#include <cmath>

namespace kesmo {

namespace {

bool isBandType(int t) {
    return ranges::kBandType.contains(t);
}

FilterShape bandShape(int type) {
    switch (type) {
    case CFilter::kLowShelf:
        return FilterShape::LowShelf;
    case CFilter::kHighShelf:
        return FilterShape::HighShelf;
    default:
        return FilterShape::Peaking;
    }
}

} // namespace

CFilter::CFilter(int number) : m_number(number) {
    m_complexResponse.fill({1.0, 0.0});
}

std::string CFilter::markerLabel() const {
    if (isCrossover())
        return m_type == kHighPass ? "H" : "L";
    return std::to_string(m_number);
}

void CFilter::bindBand(EqBandView record) {
    m_crossover.reset();
    m_band = record;
    m_frequencyHz = eqFrequencyHz(record.freq());
    m_q = qValue(record.q());
    m_gainDb = kesmo::gainDb(shownGainCode());
    // A type byte the band cannot have must never make it a high-/low-pass filter.
    const int t = record.type();
    m_type = isBandType(t) ? t : kBypass;
    recompute();
}

void CFilter::bindCrossover(CrossoverView record) {
    m_band.reset();
    m_crossover = record;
    if (!isCrossover())
        m_type = record.kind() == 0 ? kHighPass : kLowPass;
    m_frequencyHz = crossoverFrequencyHz(record.freq());
    m_slope = record.slope();
    recompute();
}

void CFilter::rebind() {
    if (m_band)
        bindBand(*m_band);
    else if (m_crossover)
        bindCrossover(*m_crossover);
}

int CFilter::setFrequencyCode(int code) {
    if (!m_band)
        return 0;
    code = ranges::kFrequency.clamp(code);
    m_band->setFreq(static_cast<std::uint16_t>(code));
    m_frequencyHz = eqFrequencyHz(code);
    recompute();
    return 1;
}

int CFilter::setCrossoverFrequencyCode(int code) {
    if (!m_crossover)
        return 0;
    code = ranges::kFrequency.clamp(code);
    m_crossover->setFreq(static_cast<std::uint16_t>(code));
    m_frequencyHz = crossoverFrequencyHz(code);
    recompute();
    return 1;
}

int CFilter::setQCode(int code) {
    code = ranges::kQ.clamp(code);
    m_q = qValue(code);
    if (m_band && isBandType(m_type))
        m_band->setQ(static_cast<std::uint8_t>(code));
    recompute();
    return 1;
}

int CFilter::setGainCode(int code) {
    if (!m_band)
        return 0;
    code = ranges::kEqGain.clamp(code);
    m_band->setGain(static_cast<std::uint8_t>(code));
    m_gainDb = kesmo::gainDb(code);
    recompute();
    return 1;
}

int CFilter::setSlope(int code) {
    if (!m_crossover)
        return 0;
    code = ranges::kSlope.clamp(code);
    m_crossover->setSlope(static_cast<std::uint8_t>(code));
    m_slope = code;
    recompute();
    return 1;
}

int CFilter::setType(int t) {
    const bool crossoverType = t == kHighPass || t == kLowPass;
    if (!isBandType(t) && !crossoverType)
        return 0;
    if ((m_band && crossoverType) || (m_crossover && !crossoverType))
        return 0;
    m_type = t;
    if (m_band)
        m_band->setType(static_cast<std::uint8_t>(t));
    recompute();
    return 1;
}

void CFilter::layout(int plotWidth, int plotHeight) {
    m_plot = {plotWidth, plotHeight};
    const int right = plotWidth + kPlotLeft;
    const int zeroY = pixel(plotY(0.0, plotHeight)) + kPlotTop;
    m_curvePoints.front() = {kPlotLeft, zeroY};
    m_curvePoints.back() = {right, zeroY};
    for (int i = 0; i < kGridPoints; ++i)
        m_curvePoints[static_cast<std::size_t>(i + 1)].x =
            std::min(pixel(plotX(gridFrequencyHz(i), plotWidth)) + kPlotLeft, right);
    recompute();
}

int CFilter::shownGainCode() const {
    if (!m_band)
        return kesmo::gainCode(m_gainDb);
    return ranges::kEqGain.clamp(m_band->gain());
}

int CFilter::shownQCode() const {
    return m_band ? ranges::kQ.clamp(m_band->q()) : nearestQCode(m_q);
}

void CFilter::recompute() {
    m_switchedOff = false;
    computeResponse();
    placeMarker();
    updateCurveY();
}

void CFilter::computeResponse() {
    if (m_band && m_type != kBypass && isBandType(m_type)) {
        const BiquadCoefficients c =
            designBiquad(bandShape(m_type), eqFrequencyHz(m_band->freq()), qValue(shownQCode()),
                         kesmo::gainDb(shownGainCode()));
        m_complexResponse = evaluateResponse(c);
        for (std::size_t i = 0; i < m_responseDb.size(); ++i)
            m_responseDb[i] = 10.0 * std::log10(std::norm(m_complexResponse[i]));
        return;
    }
    m_complexResponse.fill({1.0, 0.0});
    if (m_crossover && isCrossover()) {
        // The filter's position decides high or low pass; the kind byte is never edited.
        m_responseDb = crossoverResponseDb(
            {m_type == kHighPass ? 0 : 1, m_crossover->freq(), m_crossover->slope()});
        return;
    }
    m_responseDb.fill(0.0);
}

void CFilter::placeMarker() {
    if (isCrossover()) {
        const bool highPass = m_type == kHighPass;
        m_markerRect = crossoverMarkerRect(m_frequencyHz, highPass, m_plot);
        m_captionRect = crossoverCaptionRect(m_markerRect, highPass, m_plot);
        return;
    }
    const int gain = shownGainCode();
    m_markerRect = eqMarkerRect(m_frequencyHz, kesmo::gainDb(gain), m_plot);
    m_captionRect = eqCaptionRect(m_markerRect, m_type == kBypass || gain >= 120, m_plot);
}

void CFilter::updateCurveY() {
    for (std::size_t i = 0; i < m_responseDb.size(); ++i)
        m_curvePoints[i + 1].y = pixel(plotY(m_responseDb[i], m_plot.height)) + kPlotTop;
}

std::string CFilter::caption() const {
    if (isCrossover())
        return crossoverCaption(
            m_crossover ? m_crossover->freq() : nearestFrequencyCode(m_frequencyHz), m_frequencyHz);
    return eqCaption(m_type, m_frequencyHz, qValue(shownQCode()), kesmo::gainDb(shownGainCode()));
}

void CFilter::beginDrag(Point mouse) {
    const Point c = m_markerRect.centre();
    m_dragOffset = {mouse.x - c.x, mouse.y - c.y};
}

bool CFilter::dragTo(Point mouse) {
    if (!m_band || !isBandType(m_type) || !m_plot.valid())
        return false;
    const Point target{mouse.x - m_dragOffset.x, mouse.y - m_dragOffset.y};
    if (target == m_markerRect.centre())
        return false;
    const int px = std::clamp(target.x - kPlotLeft, 0, m_plot.width);
    const int py = std::clamp(target.y - kPlotTop, 0, m_plot.height);
    const double lowestDb = m_dynamicBand ? -12.0 : kPlotBottomDb;
    const double gain = std::clamp<double>(plotGainDb(py, m_plot.height), lowestDb, kPlotTopDb);
    const int freqCode = draggedFrequencyCode(plotFrequencyHz(px, m_plot.width));
    const int gainCode = kesmo::gainCode(gain);
    const bool changed = freqCode != m_band->freq() || gainCode != m_band->gain();

    m_band->setFreq(static_cast<std::uint16_t>(freqCode));
    m_frequencyHz = eqFrequencyHz(freqCode);
    m_band->setGain(static_cast<std::uint8_t>(gainCode));
    m_gainDb = gain;
    if (m_stripWindow)
        m_stripWindow->gainCodeDragged(gainCode);
    recompute();
    return changed;
}

bool CFilter::dragCrossoverTo(Point mouse) {
    if (!m_crossover || !isCrossover() || !m_plot.valid())
        return false;
    const int x = mouse.x - m_dragOffset.x - kPlotLeft;
    const bool wasOff = m_switchedOff;
    if (x <= 0 && m_type == kHighPass) {
        const bool changed = m_crossover->freq() != 0 || !wasOff;
        m_crossover->setFreq(0);
        m_frequencyHz = crossoverFrequencyHz(0);
        m_responseDb.fill(0.0);
        placeMarker();
        updateCurveY();
        m_switchedOff = true;
        return changed;
    }
    const double f = std::clamp(plotFrequencyHz(std::min(x, m_plot.width), m_plot.width),
                                crossoverFrequencyHz(kMinCrossoverCode),
                                crossoverFrequencyHz(kMaxCrossoverCode));
    const int code = nearestFrequencyCode(f);
    const bool changed = code != m_crossover->freq() || wasOff;
    m_crossover->setFreq(static_cast<std::uint16_t>(code));
    m_frequencyHz = crossoverFrequencyHz(code);
    recompute();
    return changed;
}

void CFilter::saveQForDrag() {
    if (m_band)
        m_savedQCode = shownQCode();
}

bool CFilter::dragQ(int mouseX) {
    if (!m_band || !isBandType(m_type))
        return false;
    // Integer division truncates toward zero: 25 pixels either side is 2 steps.
    const int code = ranges::kQ.clamp(m_savedQCode + (mouseX - m_markerRect.centre().x) / 10);
    const bool changed = code != m_band->q();
    setQCode(code);
    return changed;
}

} // namespace kesmo
