#include "core/context_ids.h"

#include "platform/system/app_info.h"
// help.h needs the complete widget types for its inline accessors.
#include <QTextBrowser>
#include <QWidget>
#include "platform/system/help.h"
#include "platform/ui/dialogs.h"

namespace ContextIDs {

qint32 ghWndAyuda = 0;

QString helpFilePath(const QString& appDir)
{
    const QString dir = appDir.trimmed();
    if (dir.endsWith(QLatin1Char('/')))
        return dir + QStringLiteral("ZAL.HLP");
    return dir + QStringLiteral("/ZAL.HLP");
}

void InicializaAyuda(qint32 hWnd)
{
    ghWndAyuda = hWnd;
    sys::HelpViewer::instance().setHelpFile(helpFilePath(sys::appPath()));
    ui::setHelpHandler([](int context) { sys::HelpViewer::instance().showContext(context); });
}

void MuestraAyuda()
{
    // A missing help file is reported inside the help window itself.
    sys::HelpViewer::instance().showContents();
}

void CierraAyuda()
{
    sys::HelpViewer::instance().close();
}

} // namespace ContextIDs
