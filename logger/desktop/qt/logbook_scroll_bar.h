#pragma once
#include <QPaintEvent>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>

namespace kelvinor {

// A scroll bar that repaints only when its slider moves on screen: a long
// logbook that follows its end changes the value with every row, but the
// slider moves by a pixel only every few hundred rows.
class LogbookScrollBar final : public QScrollBar {
  public:
    explicit LogbookScrollBar(Qt::Orientation orientation) : QScrollBar(orientation) {}

    // Changes made while a Batch lives are judged together at its end, so
    // that a new range followed by a new value does not repaint twice.
    class Batch {
      public:
        explicit Batch(QScrollBar* bar) : bar_(static_cast<LogbookScrollBar*>(bar)) {
            ++bar_->batches_;
        }
        ~Batch() {
            if (--bar_->batches_ == 0) bar_->repaintWhereChanged();
        }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

      private:
        LogbookScrollBar* bar_;
    };

  protected:
    void sliderChange(SliderChange change) override {
        if (change == SliderOrientationChange) return QScrollBar::sliderChange(change);
        if (batches_ == 0) repaintWhereChanged();
    }
    // Qt repaints a pressed or released slider within its rectangle only.
    void mousePressEvent(QMouseEvent* event) override {
        QScrollBar::mousePressEvent(event);
        repaintWhereChanged();
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        QScrollBar::mouseReleaseEvent(event);
        repaintWhereChanged();
    }
    // A paint that leaves out part of the slider and its frame (Qt repaints
    // just the slider's rectangle when it is pressed or released) leaves the
    // bar looking like no state of its own: the next change repaints it all.
    void paintEvent(QPaintEvent* event) override {
        const Look now = look();
        const QRegion left = QRegion(aroundSlider(now.slider) & rect()) - event->region();
        painted_ = left.isEmpty() ? now : Look{};
        QScrollBar::paintEvent(event);
    }

  private:
    struct Look {
        bool known = false;
        QRect slider;
        bool atMinimum = false, atMaximum = false, down = false;
        bool operator==(const Look&) const = default;
    };
    Look look() const {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return {true,
                style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider,
                                        this),
                value() == minimum(), value() == maximum(), isSliderDown()};
    }
    // Repaints the bar only where it looks different from its last painting:
    // where the slider was and is (pressed or not), or all of it when an end
    // is reached or left (the arrows may show it).
    void repaintWhereChanged() {
        const Look now = look();
        if (now == painted_) return;
        if (!painted_.known || now.atMinimum != painted_.atMinimum ||
            now.atMaximum != painted_.atMaximum)
            update();
        else
            update(aroundSlider(now.slider.united(painted_.slider)));
    }
    // The style draws the slider's frame a little beyond its rectangle.
    static QRect aroundSlider(QRect slider) {
        constexpr int kFrame = 2;
        return slider.adjusted(-kFrame, -kFrame, kFrame, kFrame);
    }
    Look painted_;
    int batches_ = 0;
};

}  // namespace kelvinor
