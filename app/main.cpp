#include "core/main_startup.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/sizing.h"

#include <QApplication>
#include <csignal>

int main(int argc, char** argv)
{
    // A write past the user's file-size limit fails (and is reported) instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZAL"));
    QApplication::setOrganizationName(QStringLiteral("ZAL"));
    ui::installSpanishTranslations();
    ui::installFocusStyle();
    Biblio::Main();
    return app.exec();
}
