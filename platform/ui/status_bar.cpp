#include "platform/ui/status_bar.h"

#include "platform/basic/basic.h"
#include "platform/system/clock.h"
#include "platform/ui/sizing.h"

#include <QTimer>

namespace ui {

StatusPanel::StatusPanel(QWidget* parent) : QLabel(parent)
{
    // A text panel takes what width there is; its text never widens the window.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setMinimumWidth(0);
}

void StatusPanel::setStyle(Style style)
{
    style_ = style;
    if (style_ == Style::Text) {
        setMinimumWidth(0);
        setMaximumWidth(QWIDGETSIZE_MAX);
        setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    } else {
        // Wide enough for any date or time, so the panel never moves when the others change.
        const QString widest = style_ == Style::Date ? QStringLiteral("00/00/0000") : QStringLiteral("00:00");
        const QString shown = QLabel::text();
        QLabel::setText(widest);
        const int width = sizeHint().width() + fontMetrics().horizontalAdvance(QStringLiteral("00"));
        QLabel::setText(shown);
        setFixedWidth(width);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        setAlignment(Qt::AlignCenter);
    }
    updateClock();
}

void StatusPanel::updateClock()
{
    switch (style_) {
    case Style::Date: setText(basic::dateToText(sys::today())); break;
    case Style::Time: setText(sys::now().time().toString(QStringLiteral("HH:mm"))); break;
    case Style::Text: break;
    }
}

void StatusPanel::setText(const QString& text)
{
    text_ = text;
    showText();
}

void StatusPanel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    showText();
}

void StatusPanel::showText()
{
    const int room = contentsRect().width() - 2 * qMax(margin(), 0)
                     - (frameWidth() > 0 ? fontMetrics().horizontalAdvance(QLatin1Char('x')) : 0);
    const QString shown = style_ == Style::Text ? elideAtWord(text_, fontMetrics(), qMax(room, 0)) : text_;
    if (QLabel::text() != shown)
        QLabel::setText(shown);
    const QString tip = shown == text_ ? QString() : text_;
    if (toolTip() != tip)
        setToolTip(tip);
}

StatusBar::StatusBar(QWidget* parent) : QStatusBar(parent), clock_(new QTimer(this))
{
    setSizeGripEnabled(false);
    clock_->setInterval(1000);
    connect(clock_, &QTimer::timeout, this, [this] {
        for (StatusPanel* p : panels_)
            p->updateClock();
    });
    clock_->start();
}

StatusPanel& StatusBar::panel(int index)
{
    Q_ASSERT(index >= 1);
    while (panels_.size() < index) {
        auto* p = new StatusPanel(this);
        p->setObjectName(QStringLiteral("panel%1").arg(panels_.size() + 1));
        p->setFrameShape(QFrame::Panel);
        p->setFrameShadow(QFrame::Sunken);
        // Every panel stretches; a date or time panel has a fixed width and so keeps it.
        addWidget(p, 1);
        panels_ << p;
    }
    return *panels_.at(index - 1);
}

} // namespace ui
