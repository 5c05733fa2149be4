#pragma once

#include "filters/Filter.h"
#include "pages/PageBindings.h"
#include "pages/PageDlg.h"

#include <QColor>
#include <QPoint>
#include <vector>

class QComboBox;
class QSlider;

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
    void followScene();
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

// The factory that puts the response graph in place of a template's graph control.
ControlFactory graphControlFactory(PageHost& host);

// The vertical gain slider of the strips: bitmap 138 with the transparent thumb 137, keyed by
// its corner pixel. The bottom margin sets where the travel ends on the bitmap's scale.
BitmapSlider* newGainSlider(QWidget* parent, int bottomMargin);

// A page's row of strips over a window of consecutive bands of the shown channel, with the
// trackbar that moves the window and the strip whose band number is red. Band indexes are
// those of the channel's band set; strip k shows band first + k.
class StripRow final {
public:
    struct Layout {
        int strips;   // strips in the row
        int bands;    // EQ bands of the channel
        QPoint first; // pixel position of strip 0
        int step;     // pixels from one strip to the next
    };

    // Creates the strips on `page` for `channel`, bands 0.., the trackbar (may be null) at 0.
    // The page passes the strips to watchKeys.
    StripRow(PageDlg& page, GraphView* graph, QSlider* window, const Layout& layout, int channel);

    // Every strip to another channel (or scene); the highlight is cleared.
    void setChannel(int channel);
    // Shows bands first..first + strips - 1; the highlight is cleared.
    void moveTo(int first);
    void refresh();
    // The strip of a band turns red, the previous one black; bands outside the window do nothing.
    void highlight(int band);
    void clearHighlight();
    // A band picked on the graph: the window moves to show it, its strip takes the focus and is
    // highlighted.
    void bandPicked(int band);
    void enableAll(bool enabled);

    int first() const { return m_first; }
    int count() const { return static_cast<int>(m_strips.size()); }
    EQDlg* strip(int i) const { return m_strips.at(static_cast<std::size_t>(i)); }
    EQDlg* highlighted() const { return m_highlighted; }

private:
    void rebind();

    QSlider* m_window;
    Layout m_layout;
    std::vector<EQDlg*> m_strips;
    EQDlg* m_highlighted = nullptr;
    int m_first = 0;
};

// The high- and low-pass controls of a page with a graph, on the shown channel's band set: the
// frequency sliders (rows of the page's binder, with their edits) and the slope lists.
struct CrossoverControls {
    int hpfSlider, hpfSlope, lpfSlider, lpfSlope;

    // A crossover control changed and its row wrote the record: the filter object takes the
    // code again (a slope from a list, a frequency code otherwise) and recomputes the curve, and
    // the graph shows the crossover highlighted. Other controls do nothing.
    void edited(GraphView& graph, CKTVEQ* set, int controlId, int code) const;
    // An index picked on the graph: a band moves the strips to it and highlights it; a crossover
    // reloads its slider and edit from the record.
    void picked(StripRow& row, const FieldBinder& binder, CKTVEQ* set, int index) const;
};

} // namespace kesmo
