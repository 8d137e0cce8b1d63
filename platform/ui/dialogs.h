#pragma once
// The dialog service: every message box, input box, file-open dialog and folder browser of the
// program goes through the one installed service. The program runs with the Qt implementation
// (Spanish buttons); tests install a scripted one that answers from a queue and never blocks.
//
//   int answer = ui::MsgBox(" Desea continuar?", ui::vbYesNo | ui::vbQuestion, " ZAL");
//   if (answer == ui::vbYes) ...
//
// An empty title shows the application title (QApplication::applicationName(), "ZAL").
#include <QList>
#include <QString>
#include <functional>
#include <memory>

class QAbstractButton;
class QMessageBox;
class QWidget;

namespace ui {

// Buttons a message box returns.
constexpr int vbOK = 1;
constexpr int vbCancel = 2;
constexpr int vbAbort = 3;
constexpr int vbRetry = 4;
constexpr int vbIgnore = 5;
constexpr int vbYes = 6;
constexpr int vbNo = 7;

// Style flags of a message box: one button set, plus an icon, plus options.
constexpr int vbOKOnly = 0;
constexpr int vbOKCancel = 1;
constexpr int vbAbortRetryIgnore = 2;
constexpr int vbYesNoCancel = 3;
constexpr int vbYesNo = 4;
constexpr int vbRetryCancel = 5;
constexpr int vbCritical = 16;
constexpr int vbQuestion = 32;
constexpr int vbExclamation = 48;
constexpr int vbInformation = 64;
constexpr int vbDefaultButton1 = 0;
constexpr int vbDefaultButton2 = 256;
constexpr int vbDefaultButton3 = 512;
constexpr int vbMsgBoxHelpButton = 16384;

// The parts of a style value.
constexpr int buttonSetOf(int style) { return style & 7; }
constexpr int iconOf(int style) { return style & 0x70; }
constexpr int defaultButtonIndexOf(int style) { return (style & 0x300) >> 8; }   // 0, 1 or 2
constexpr bool hasHelpButton(int style) { return (style & vbMsgBoxHelpButton) != 0; }

// The answers of a button set, in the order the buttons are shown.
QList<int> buttonsOf(int style);

// The answer that does no harm when nobody can answer: Cancel when there is one, else No,
// else Abort for Abort/Retry/Ignore, else OK.
int harmlessAnswer(int style);

// What a file-open dialog is asked for.
struct OpenFileOptions {
    QString title;          // the dialog's caption; empty gives the platform's
    QString filter;         // "Description|*.ext" pairs joined by "|", e.g. "Base de Datos |*.mdb"
    QString initialFolder;  // where the dialog starts when fileName names no folder
    QString fileName;       // the current file name; the dialog starts on it
    int flags = 0;          // kept for the caller; the dialog always hides the read-only check box
};

// The filter of OpenFileOptions in Qt's form: "Base de Datos |*.mdb" becomes
// "Base de Datos (*.mdb)"; several pairs become several lines joined by ";;".
QString qtFileFilter(const QString& classicFilter);

// The title a box shows: the given one, or the application title when it is empty.
QString effectiveTitle(const QString& title);

class DialogService {
public:
    virtual ~DialogService() = default;
    // Shows a message box; returns the button pressed (vbOK ... vbNo).
    virtual int msgBox(const QString& prompt, int style = 0, const QString& title = {}, int helpContext = 0) = 0;
    // Asks for a line of text; returns it, or "" on Cancel.
    virtual QString inputBox(const QString& prompt, const QString& title = {}, const QString& defaultText = {}) = 0;
    // Lets the user choose an existing file; returns its full path, or "" on Cancel.
    virtual QString openFile(const OpenFileOptions& options) = 0;
    // Lets the user name a file to write (new or existing); returns its full path, or "" on Cancel.
    virtual QString saveFile(const OpenFileOptions& options) = 0;
    // Lets the user choose a folder; returns its path, or "" on Cancel.
    virtual QString browseFolder(const QString& prompt, const QString& startFolder = {}) = 0;
};

// The installed service (the Qt one unless another was installed).
DialogService& dialogs();

// Installs a service and returns the one it replaces; nullptr goes back to the Qt service.
// The caller keeps ownership of what it installs.
DialogService* setDialogService(DialogService* service);

// Shortcuts to the installed service.
int MsgBox(const QString& prompt, int style = 0, const QString& title = {}, int helpContext = 0);
QString InputBox(const QString& prompt, const QString& title = {}, const QString& defaultText = {});
QString OpenFile(const OpenFileOptions& options);
QString SaveFile(const OpenFileOptions& options);
QString BrowseFolder(const QString& prompt, const QString& startFolder = {});

// While one of these lives, MsgBox shows no notice (a box with only an OK button and no
// critical icon: it tells, it asks nothing) and returns vbOK at once, as if the user had answered
// it. Questions, and run-time errors, are still shown. The focus router holds one while a field
// is only passed through on the way to where a leaving handler sent the focus.
class QuietNotices {
public:
    QuietNotices();
    ~QuietNotices();
    QuietNotices(const QuietNotices&) = delete;
    QuietNotices& operator=(const QuietNotices&) = delete;
};

// What the Help button of a message box does: the handler gets the box's help context.
// The box stays open. Without a handler the button does nothing.
void setHelpHandler(std::function<void(int context)> handler);
void showHelp(int context);   // calls the handler, when there is one

// The Qt service shows nothing on the offscreen platform, where nobody can answer. A test that
// answers the real windows itself (closing them from a timer) turns them on.
void setRealWindowsOffscreen(bool on);

// Loads Qt's own Spanish translations (standard dialogs, context menus) into the application.
// Returns false when they cannot be found.
bool installSpanishTranslations();

// The Qt implementation. Buttons read "Aceptar", "Cancelar", "Anular", "Reintentar", "Omitir",
// "Sí", "No" and "Ayuda"; Esc answers Cancel (or No, or OK for a box with only OK).
// On the offscreen platform nobody can answer, so nothing is shown: the call is reported with
// qCritical and returns the harmless answer ("" for text boxes).
class QtDialogService : public DialogService {
public:
    int msgBox(const QString& prompt, int style = 0, const QString& title = {}, int helpContext = 0) override;
    QString inputBox(const QString& prompt, const QString& title = {}, const QString& defaultText = {}) override;
    QString openFile(const OpenFileOptions& options) override;
    QString saveFile(const OpenFileOptions& options) override;
    QString browseFolder(const QString& prompt, const QString& startFolder = {}) override;

    // The message box msgBox shows, built but not shown, and the answer of one of its buttons
    // (0 for the Help button, which never closes the box).
    static std::unique_ptr<QMessageBox> buildMessageBox(const QString& prompt, int style, const QString& title,
                                                        int helpContext, QWidget* parent = nullptr);
    static int answerOf(const QMessageBox& box, QAbstractButton* button);
};

} // namespace ui
