#pragma once

#include "filters/Filter.h"
#include "pages/PageDlg.h"

#include <QColor>

class QComboBox;

namespace kesmo {

class BitmapSlider;
class CKTVEQ;
class FontStatic;
class GraphView;
class NumEdit;

// The band strip: one EQ band's number, type, gain (box and inverted vertical slider),
// frequency and Q. It edits the band through its CFilter, redraws the page's graph with its
// band highlighted and tells the page with StripTouched (lParam the band index).
//
// A page places a row of strips: create, setGraph, move, show, setChannel (c, false),
// setBand (i); later setChannel (c, true) to change channel or scene, setBand to move its band
// window, refresh after the image changed, refreshWithFocus when the band was picked on the
// graph, enableAll where the page disables its EQ.
class EQDlg : public PageDlg, public StripWindow {
    Q_OBJECT
public:
    EQDlg(PageHost& host, QWidget* parent);
    ~EQDlg() override;

    void setGraph(GraphView* graph) { m_graph = graph; }
    // EqChannel 0..15 (8..15 in the edited scene); other channels keep the band.
    void setChannel(int channel, bool load);
    void setBand(int index);
    void refresh() override;
    void refreshWithFocus();
    virtual void enableAll(bool enabled);
    // The band number's colour: red while the page highlights the strip.
    void setCaptionColour(const QColor& colour);
    QColor captionColour() const;

    int channel() const { return m_channel; }
    int bandIndex() const { return m_bandIndex; }
    CFilter* band() const { return m_band; }

    // A drag on the graph changed the band's gain.
    void gainCodeDragged(int gainCode) override;

protected:
    bool onMessage(Message message, std::intptr_t wParam, std::intptr_t lParam) override;

private:
    CKTVEQ* bandSetOf(int channel) const;
    void bindBand(CFilter* band);
    void typeChosen(int index);
    void touched(bool synchronously);

    FontStatic* m_number = nullptr;
    NumEdit* m_gain = nullptr;
    BitmapSlider* m_slider = nullptr;
    NumEdit* m_frequency = nullptr;
    NumEdit* m_q = nullptr;
    QComboBox* m_type = nullptr;
    GraphView* m_graph = nullptr;
    CFilter* m_band = nullptr;
    int m_bandIndex = 0;
    int m_channel = -1;
};

} // namespace kesmo
