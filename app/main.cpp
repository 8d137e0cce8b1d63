#include "core/main_startup.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/sizing.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZAL"));
    QApplication::setOrganizationName(QStringLiteral("ZAL"));
    ui::installSpanishTranslations();
    ui::installFocusStyle();
    Biblio::Main();
    return app.exec();
}
