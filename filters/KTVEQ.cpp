#include "filters/KTVEQ.h"

#include <cassert>

namespace kesmo {

void CKTVEQ::build(int n, ModeImage& image, std::size_t bandOffset, int setupNumber,
                   std::optional<CrossoverView> highPassRecord,
                   std::optional<CrossoverView> lowPassRecord) {
    assert(n >= 0 && bandOffset + layout::eqband::kSize * static_cast<std::size_t>(n) <=
                         layout::kModeImageSize);
    m_filters.clear();
    m_bandCount = n;
    m_highPassIndex = m_lowPassIndex = -1;
    for (int i = 0; i < n; ++i) {
        auto f = std::make_unique<CFilter>(i + 1);
        f->bindBand({image, bandOffset + layout::eqband::kSize * static_cast<std::size_t>(i)});
        m_filters.push_back(std::move(f));
    }
    const auto addCrossover = [&](const std::optional<CrossoverView>& record, int type) {
        if (!record)
            return -1;
        auto f = std::make_unique<CFilter>(setupNumber);
        f->setType(type);
        f->bindCrossover(*record);
        m_filters.push_back(std::move(f));
        return count() - 1;
    };
    m_highPassIndex = addCrossover(highPassRecord, CFilter::kHighPass);
    m_lowPassIndex = addCrossover(lowPassRecord, CFilter::kLowPass);
}

void CKTVEQ::buildDynamic(ModeImage& image, std::size_t dynEqOffset) {
    constexpr int kBands = static_cast<int>(layout::music::kDynEqBands);
    assert(dynEqOffset + layout::dyneq::kSize * kBands <= layout::kModeImageSize);
    m_filters.clear();
    m_bandCount = kBands;
    m_highPassIndex = m_lowPassIndex = -1;
    for (int i = 0; i < kBands; ++i) {
        auto f = std::make_unique<CFilter>(i + 1);
        f->setDynamicBand(true);
        f->bindBand(
            DynEqBandView(image, dynEqOffset + layout::dyneq::kSize * static_cast<std::size_t>(i))
                .band());
        m_filters.push_back(std::move(f));
    }
}

void CKTVEQ::rebind() {
    for (const auto& f : m_filters)
        f->rebind();
}

CFilter* CKTVEQ::highPass() const {
    return filter(m_highPassIndex);
}

CFilter* CKTVEQ::lowPass() const {
    return filter(m_lowPassIndex);
}

CFilter* CKTVEQ::filter(int i) const {
    if (i < 0 || i >= count())
        return nullptr;
    return m_filters[static_cast<std::size_t>(i)].get();
}

void CKTVEQ::layout(const Rect& plotRect) {
    m_plot = {plotRect.width(), plotRect.height()};
    for (int i = 0; i < kGridPoints; ++i)
        m_combinedPoints[static_cast<std::size_t>(i)].x =
            static_cast<float>(plotX(gridFrequencyHz(i), m_plot.width) + kPlotLeft);
    for (const auto& f : m_filters)
        f->layout(m_plot.width, m_plot.height);
}

void CKTVEQ::combine() {
    ResponseDb sum{};
    for (const auto& f : m_filters) {
        const ResponseDb& r = f->responseDb();
        for (std::size_t i = 0; i < sum.size(); ++i)
            sum[i] += r[i];
    }
    for (std::size_t i = 0; i < sum.size(); ++i)
        m_combinedPoints[i].y =
            static_cast<float>(finiteCoordinate(plotY(sum[i], m_plot.height)) + kPlotTop);
}

} // namespace kesmo
