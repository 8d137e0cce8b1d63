#include "platform/ui/dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QScreen>
#include <QSplitter>
#include <QTreeView>

#include <algorithm>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>

namespace ui {

namespace {

const char* const kAnswerProperty = "zalAnswer";

QtDialogService& qtService()
{
    static QtDialogService service;
    return service;
}

DialogService*& installed()
{
    static DialogService* service = nullptr;
    return service;
}

std::function<void(int)>& helpHandler()
{
    static std::function<void(int)> handler;
    return handler;
}

bool& realWindowsOffscreen()
{
    static bool on = false;
    return on;
}

// Nobody can answer a window on the offscreen platform (the tests run there), unless a test
// answers the real windows itself.
bool nobodyCanAnswer()
{
    return QGuiApplication::platformName() == QLatin1String("offscreen") && !realWindowsOffscreen();
}

// The program's texts break their lines with a carriage return (alone or before a line feed);
// the boxes show every kind of break as a new line.
QString withLineBreaks(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

// A button pressed when a modal window opens never gets its release (the window takes the mouse)
// and would stay drawn pressed. A box opened by the press itself (a guard run when the press
// gives the button the focus) closes before the press has reached the button, which goes down
// only then. Both are let go, as the desktop does: before the box, and once the press is over.
void releaseButtonsHeldDown()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible())
            continue;
        for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
            if (button->isDown())
                button->setDown(false);
    }
}

void releaseButtonsAfterTheBox()
{
    QTimer::singleShot(0, qApp, [] {
        if (QGuiApplication::mouseButtons() == Qt::NoButton)
            releaseButtonsHeldDown();
    });
}

QString buttonText(int answer)
{
    switch (answer) {
    case vbOK: return QStringLiteral("Aceptar");
    case vbCancel: return QStringLiteral("Cancelar");
    case vbAbort: return QStringLiteral("Anular");
    case vbRetry: return QStringLiteral("Reintentar");
    case vbIgnore: return QStringLiteral("Omitir");
    case vbYes: return QStringLiteral("Sí");
    case vbNo: return QStringLiteral("No");
    }
    return QString();
}

QMessageBox::ButtonRole buttonRole(int answer)
{
    switch (answer) {
    case vbCancel: return QMessageBox::RejectRole;
    case vbYes: return QMessageBox::YesRole;
    case vbNo: return QMessageBox::NoRole;
    case vbAbort: return QMessageBox::RejectRole;
    }
    return QMessageBox::AcceptRole;
}

QWidget* dialogParent()
{
    return QApplication::activeWindow();
}

} // namespace

QList<int> buttonsOf(int style)
{
    switch (buttonSetOf(style)) {
    case vbOKCancel: return {vbOK, vbCancel};
    case vbAbortRetryIgnore: return {vbAbort, vbRetry, vbIgnore};
    case vbYesNoCancel: return {vbYes, vbNo, vbCancel};
    case vbYesNo: return {vbYes, vbNo};
    case vbRetryCancel: return {vbRetry, vbCancel};
    }
    return {vbOK};
}

int harmlessAnswer(int style)
{
    const QList<int> buttons = buttonsOf(style);
    for (int answer : {vbCancel, vbNo, vbAbort})
        if (buttons.contains(answer))
            return answer;
    return vbOK;
}

QString qtFileFilter(const QString& classicFilter)
{
    const QStringList parts = classicFilter.split(QLatin1Char('|'));
    QStringList lines;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts.at(i + 1).trimmed();
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        lines << QStringLiteral("%1 (%2)").arg(parts.at(i).trimmed(), patterns);
    }
    return lines.join(QStringLiteral(";;"));
}

QString effectiveTitle(const QString& title)
{
    return title.isEmpty() ? QCoreApplication::applicationName() : title;
}

DialogService& dialogs()
{
    DialogService* service = installed();
    return service ? *service : qtService();
}

DialogService* setDialogService(DialogService* service)
{
    DialogService* previous = installed();
    installed() = service;
    return previous;
}

namespace {

int& quietNotices()
{
    static int depth = 0;
    return depth;
}

} // namespace

QuietNotices::QuietNotices()
{
    ++quietNotices();
}

QuietNotices::~QuietNotices()
{
    --quietNotices();
}

int MsgBox(const QString& prompt, int style, const QString& title, int helpContext)
{
    if (quietNotices() > 0 && buttonSetOf(style) == vbOKOnly && iconOf(style) != vbCritical)
        return vbOK;
    return dialogs().msgBox(prompt, style, title, helpContext);
}

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    return dialogs().inputBox(prompt, title, defaultText);
}

QString OpenFile(const OpenFileOptions& options)
{
    return dialogs().openFile(options);
}

QString SaveFile(const OpenFileOptions& options)
{
    return dialogs().saveFile(options);
}

QString BrowseFolder(const QString& prompt, const QString& startFolder)
{
    return dialogs().browseFolder(prompt, startFolder);
}

void setHelpHandler(std::function<void(int)> handler)
{
    helpHandler() = std::move(handler);
}

void showHelp(int context)
{
    if (helpHandler())
        helpHandler()(context);
}

void setRealWindowsOffscreen(bool on)
{
    realWindowsOffscreen() = on;
}

bool installSpanishTranslations()
{
    if (!qApp)
        return false;
    auto* translator = new QTranslator(qApp);
    if (!translator->load(QStringLiteral("qtbase_es"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

std::unique_ptr<QMessageBox> QtDialogService::buildMessageBox(const QString& prompt, int style, const QString& title,
                                                              int helpContext, QWidget* parent)
{
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(effectiveTitle(title));
    box->setTextFormat(Qt::PlainText);
    box->setText(withLineBreaks(prompt));
    switch (iconOf(style)) {
    case vbCritical: box->setIcon(QMessageBox::Critical); break;
    case vbQuestion: box->setIcon(QMessageBox::Question); break;
    case vbExclamation: box->setIcon(QMessageBox::Warning); break;
    case vbInformation: box->setIcon(QMessageBox::Information); break;
    default: box->setIcon(QMessageBox::NoIcon); break;
    }

    const QList<int> answers = buttonsOf(style);
    QList<QPushButton*> buttons;
    for (int answer : answers) {
        QPushButton* button = box->addButton(buttonText(answer), buttonRole(answer));
        button->setProperty(kAnswerProperty, answer);
        buttons << button;
        if (answer == vbCancel)
            box->setEscapeButton(button);
    }
    const int defaultIndex = defaultButtonIndexOf(style);
    box->setDefaultButton(buttons.value(defaultIndex < buttons.size() ? defaultIndex : 0));

    if (hasHelpButton(style)) {
        QPushButton* help = box->addButton(QStringLiteral("Ayuda"), QMessageBox::HelpRole);
        help->setProperty(kAnswerProperty, 0);
        help->setAutoDefault(false);
        // The Help button opens the help and leaves the box open: it must not reach the box's
        // own handling, which closes the box on any button.
        if (auto* buttonBox = box->findChild<QDialogButtonBox*>())
            QObject::disconnect(help, &QAbstractButton::clicked, buttonBox, nullptr);
        QObject::connect(help, &QAbstractButton::clicked, box.get(), [helpContext] { showHelp(helpContext); });
    }
    return box;
}

int QtDialogService::answerOf(const QMessageBox& box, QAbstractButton* button)
{
    Q_UNUSED(box);
    return button ? button->property(kAnswerProperty).toInt() : 0;
}

int QtDialogService::msgBox(const QString& prompt, int style, const QString& title, int helpContext)
{
    if (nobodyCanAnswer()) {
        qCritical("Message box on the offscreen platform, answered %d: %s", harmlessAnswer(style),
                  qPrintable(prompt));
        return harmlessAnswer(style);
    }
    std::unique_ptr<QMessageBox> box = buildMessageBox(prompt, style, title, helpContext, dialogParent());
    releaseButtonsHeldDown();
    box->exec();
    releaseButtonsAfterTheBox();
    const int answer = answerOf(*box, box->clickedButton());
    return answer > 0 ? answer : harmlessAnswer(style);
}

QString QtDialogService::inputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    if (nobodyCanAnswer()) {
        qCritical("Input box on the offscreen platform, cancelled: %s", qPrintable(prompt));
        return QString();
    }
    QInputDialog dialog(dialogParent());
    dialog.setWindowTitle(effectiveTitle(title));
    dialog.setLabelText(withLineBreaks(prompt));
    dialog.setTextValue(defaultText);
    dialog.setOkButtonText(QStringLiteral("Aceptar"));
    dialog.setCancelButtonText(QStringLiteral("Cancelar"));
    releaseButtonsHeldDown();
    const bool accepted = dialog.exec() == QDialog::Accepted;
    releaseButtonsAfterTheBox();
    return accepted ? dialog.textValue() : QString();
}

namespace {

// The file dialog of both openFile and saveFile, with Spanish labels.
QString runFileDialog(const OpenFileOptions& options, bool save)
{
    if (nobodyCanAnswer()) {
        qCritical("File dialog on the offscreen platform, cancelled: %s", qPrintable(options.title));
        return QString();
    }
    QString folder = options.initialFolder;
    const QFileInfo current(options.fileName);
    if (!options.fileName.isEmpty() && current.dir().exists() && current.path() != QLatin1String("."))
        folder = current.path();
    QFileDialog dialog(dialogParent(), options.title, folder, qtFileFilter(options.filter));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Buscar en:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Nombre de archivo:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Tipo de archivo:"));
    dialog.setLabelText(QFileDialog::Accept, save ? QStringLiteral("Guardar") : QStringLiteral("Abrir"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Cancelar"));
    if (!options.fileName.isEmpty())
        dialog.selectFile(current.fileName());
    // Wide enough for the folder list's names and a file name of a tax id and a period.
    dialog.setMinimumSize(std::min(760, dialog.screen()->availableGeometry().width()),
                          std::min(460, dialog.screen()->availableGeometry().height()));
    dialog.resize(dialog.minimumSize());
    if (auto* sides = dialog.findChild<QSplitter*>(QStringLiteral("splitter")))
        sides->setSizes({170, dialog.width() - 170});
    if (auto* files = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        const int widths[] = {250, 80, 90, 130};   // name, size, kind, date
        for (int column = 0; column < 4; ++column)
            files->header()->resizeSection(column, widths[column]);
    }
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return QDir::toNativeSeparators(dialog.selectedFiles().value(0));
}

} // namespace

QString QtDialogService::openFile(const OpenFileOptions& options)
{
    return runFileDialog(options, false);
}

QString QtDialogService::saveFile(const OpenFileOptions& options)
{
    return runFileDialog(options, true);
}

QString QtDialogService::browseFolder(const QString& prompt, const QString& startFolder)
{
    if (nobodyCanAnswer()) {
        qCritical("Folder browser on the offscreen platform, cancelled: %s", qPrintable(prompt));
        return QString();
    }
    QFileDialog dialog(dialogParent(), prompt.isEmpty() ? effectiveTitle(QString()) : prompt, startFolder);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Buscar en:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Carpeta:"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Aceptar"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Cancelar"));
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return QDir::toNativeSeparators(dialog.selectedFiles().value(0));
}

} // namespace ui
