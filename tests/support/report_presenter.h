#pragma once
// Catches every report a control starts, instead of opening a preview window:
//
//   support::RecordingPresenter shown;     // installed until the end of the scope
//   ... print ...
//   QCOMPARE(shown.count(), 1);
//   QVERIFY(shown.last().text.contains("Total"));
#include "platform/report/report_control.h"

#include <QList>
#include <QString>

namespace support {

class RecordingPresenter {
public:
    struct Shown {
        QString control;     // the control's name
        QString title;       // the window title
        int windowState = 0;
        report::RenderedReport report;
        QString text;        // the report as plain text
    };

    RecordingPresenter();
    ~RecordingPresenter();
    RecordingPresenter(const RecordingPresenter&) = delete;
    RecordingPresenter& operator=(const RecordingPresenter&) = delete;

    const QList<Shown>& shown() const { return shown_; }
    int count() const { return int(shown_.size()); }
    const Shown& last() const { return shown_.last(); }
    void clear() { shown_.clear(); }

private:
    QList<Shown> shown_;
    report::Presenter previous_;
};

} // namespace support
