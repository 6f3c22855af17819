#pragma once
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
    void paintEvent(QPaintEvent* event) override {
        painted_ = look();
        QScrollBar::paintEvent(event);
    }

  private:
    struct Look {
        QRect slider;
        bool atMinimum = false, atMaximum = false;
        bool operator==(const Look&) const = default;
    };
    Look look() const {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return {style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider,
                                        this),
                value() == minimum(), value() == maximum()};
    }
    // Repaints the bar only where it looks different from its last painting:
    // where the slider was and is, or all of it when an end is reached or
    // left (the arrows may show it).
    void repaintWhereChanged() {
        const Look now = look();
        if (now == painted_) return;
        if (now.atMinimum != painted_.atMinimum || now.atMaximum != painted_.atMaximum)
            update();
        else
            update(now.slider.united(painted_.slider));
    }
    Look painted_;
    int batches_ = 0;
};

}  // namespace kelvinor
