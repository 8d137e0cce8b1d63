#pragma once
// The help viewer: shows the program's help file (an HTML document with an anchor named after each
// context number, e.g. <a name="1080">) in a help window of its own. One window is created on first
// use and reused; close() hides it. A missing or unreadable help file is reported inside the help
// window, never by a dialog.
#include <QPointer>
#include <QTextBrowser>
#include <QWidget>
#include <QString>

class QTextBrowser;
class QWidget;

namespace sys {

class HelpViewer {
public:
    HelpViewer();
    ~HelpViewer();
    HelpViewer(const HelpViewer&) = delete;
    HelpViewer& operator=(const HelpViewer&) = delete;

    // The program's help: the file the main window names and every message box with a Help
    // button opens.
    static HelpViewer& instance();

    void setHelpFile(const QString& path);
    QString helpFile() const { return helpFile_; }

    // Opens the help window at the contents (the top of the document). False when the file
    // cannot be read.
    bool showContents();
    // Opens the help window at the anchor of a context number. When the document has no such
    // anchor, the window opens at the contents and the result is false.
    bool showContext(int context);
    // Closes the help window (it is kept for the next use).
    void close();

    bool isOpen() const;
    // The help window and its text view; null until the first show.
    QWidget* window() const { return window_; }
    QTextBrowser* browser() const { return browser_; }

private:
    bool load();
    void ensureWindow();

    QString helpFile_;
    QPointer<QWidget> window_;
    QPointer<QTextBrowser> browser_;
};

} // namespace sys
