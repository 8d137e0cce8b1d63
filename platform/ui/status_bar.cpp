#include "platform/ui/status_bar.h"

#include "platform/basic/basic.h"
#include "platform/system/clock.h"

#include <QTimer>

namespace ui {

void StatusPanel::setStyle(Style style)
{
    style_ = style;
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
        addWidget(p, 1);
        panels_ << p;
    }
    return *panels_.at(index - 1);
}

} // namespace ui
