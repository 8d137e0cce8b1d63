#pragma once
// The about box: the program's title and version, a rights line with the current year, the logo,
// a link to the licence text and a button that starts the system-information tool. While it is
// open the main window is disabled, so it behaves as a modal window without being one.
#include "platform/system/registry.h"
#include "platform/ui/form.h"

#include <memory>

class QLabel;
class QPushButton;

namespace Ui {
class frmAbout;
}

class frmAbout : public ui::Form {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
    ~frmAbout() override;

    // Controls.
    QLabel* Image1;
    QLabel* lblVersion;
    QLabel* lblShadow;
    QLabel* Label3;
    QLabel* lblLicense;
    QPushButton* cmdOk;
    QPushButton* cmdSysInfo;

    void Form_Load() override;
    void Form_Unload(int& Cancel) override;
    void cmdOk_Click();
    void cmdSysInfo_Click();
    void lblLicense_Click();
    void lblLicense_MouseMove();
    void Image1_MouseMove();

    // Starts the system-information tool named in the registry, or says it is unavailable.
    void StartSysInfo();

    // Reads a text or 32-bit number value of the registry into KeyVal; true when it was read.
    // A value of another type leaves KeyVal as it was (and still gives true).
    static bool GetKeyValue(sys::HKEY KeyRoot, const QString& KeyName, const QString& SubKeyRef, QString& KeyVal);

    // The colours of the licence link: under the mouse, and after the mouse went to the logo.
    static const QColor kLinkHot;
    static const QColor kLinkCool;

    // The logo shown in Image1.
    static QPixmap logo();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setLinkColor(const QColor& color);
    std::unique_ptr<Ui::frmAbout> ui_;
};
