#pragma once
// Long work on the window thread (a print of thousands of documents, an export, a large load):
//
//   sys::BusyScope busy;            // the hourglass from here to the end of the scope
//   for (...) { ...; sys::keepResponsive(); }   // the windows repaint while the work goes on
//
// keepResponsive() lets the windows repaint (and the clock panels tick) at most every tenth of a
// second; keyboard and mouse input, closing a window, quitting and the single-instance socket
// wait until the work is done, so nothing the user does runs in the middle of it.
namespace sys {

class BusyScope {
public:
    BusyScope();
    ~BusyScope();
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool setPointer_ = false;
};

void keepResponsive();

} // namespace sys
