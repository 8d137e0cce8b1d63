#include "report_presenter.h"

namespace support {

RecordingPresenter::RecordingPresenter()
{
    previous_ = report::setPresenter([this](const report::ReportControl& control, const report::RenderedReport& r) {
        shown_.append({control.name(), r.title, control.windowState(), r, r.toPlainText()});
    });
}

RecordingPresenter::~RecordingPresenter()
{
    report::setPresenter(std::move(previous_));
}

} // namespace support
