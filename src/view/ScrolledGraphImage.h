#pragma once
// TScrolledGraphImage: a waveform view with a horizontal scroll bar under it,
// for the detail view. The scroll bar shows where the view's span lies in the
// wave; dragging it, or turning the mouse wheel over the view, moves the span
// through the wave at its length, and Ctrl + wheel zooms in and out around the
// sample under the pointer (ViewSpan.h sets the limits).
//
// The pane never changes the view itself: it asks for a span through
// OnViewRequest, and whoever owns the span (the main window, which remembers
// it per wave) sets it with TGraphImage::SetView. The scroll bar follows
// every span the view is given.

#include <QWidget>

#include <cstdint>

class QScrollBar;
class QWheelEvent;
class TGraphImage;

class TScrolledGraphImage : public QWidget {
    Q_OBJECT

public:
    // Takes View into the pane (as its child, above the scroll bar).
    explicit TScrolledGraphImage(TGraphImage* View, QWidget* Parent = nullptr);

    TGraphImage* View() const { return FView; }
    QScrollBar* ScrollBar() const { return FScrollBar; }

signals:
    // The span the user asked for, inside the wave.
    void OnViewRequest(int32_t Start, int32_t End);

protected:
    // Takes the wheel turns over the view.
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void Wheel(const QWheelEvent& Event);
    void FollowView();
    void ScrollTo(int Value);

    TGraphImage* FView;
    QScrollBar* FScrollBar;
    int FWheelRest = 0; // angle not yet turned into whole notches (fine-grained wheels)
};
