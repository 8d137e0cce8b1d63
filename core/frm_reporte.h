#pragma once
// The list viewer: lines of text in a list and one button that closes the window. Every use makes
// a window of its own: fill Lista, set the caption, show it modally, then release it.
#include "platform/ui/form.h"

#include <QStringList>
#include <functional>
#include <memory>

class QListWidget;
class QPushButton;

namespace Ui {
class frmReporte;
}

class frmReporte : public ui::Form {
    Q_OBJECT
public:
    explicit frmReporte(QWidget* parent = nullptr);
    ~frmReporte() override;

    QListWidget* Lista;
    QPushButton* cmdOk;

    void cmdOk_Click();

    // Sizes the window so that its longest line shows whole (as far as the screen allows) and
    // centres it on the screen. Call it once Lista is filled.
    void fitToLines();

private:
    std::unique_ptr<Ui::frmReporte> ui_;
};

// The lines of a text as the licence command reads them: a line ends at a carriage return, and a
// line feed right after it belongs to the same line end; a lone line feed stays inside its line.
// The end of the text ends the last line; an empty text has no lines.
QStringList licenceLines(const QByteArray& text);

// The licence command: shows "licencia.txt" of the program's folder, one line per item, in a new
// list viewer, modally. Without the file it shows " Archivo de licencia no encontrado..." and
// returns false. beforeShow runs once the viewer is filled, just before it is shown (the about
// box closes itself there).
bool MuestraLicencia(const std::function<void()>& beforeShow = {});
