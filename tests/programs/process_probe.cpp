// A small program the tests start as separate processes, to check what only real processes show:
//   process_probe instance NAME   prints "ready", waits for a line on its standard input, then
//                                 takes part in the single-instance race under NAME; the copy that
//                                 runs prints "primary", the others "secondary" and end. The
//                                 primary ends when its standard input closes or reads a line,
//                                 printing "requests N" (restore requests it took).
//   process_probe help-end FILE   opens the help window on FILE and ends the program the way the
//                                 fatal start-up paths do (End with code 3).
#include "platform/system/end.h"
#include "platform/system/help.h"
#include "platform/system/single_instance.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;

    if (args.at(1) == QLatin1String("instance")) {
        // Every copy is loaded before any of them starts, so that they really start together.
        std::printf("ready\n");
        std::fflush(stdout);
        char go[8];
        if (!std::fgets(go, sizeof go, stdin))
            return 2;
        sys::SingleInstance guard(args.at(2));
        if (!guard.tryBecomePrimary()) {
            std::printf("secondary\n");
            std::fflush(stdout);
            return 0;
        }
        int requests = 0;
        QObject::connect(&guard, &sys::SingleInstance::restoreRequested, [&] { ++requests; });
        std::printf("primary\n");
        std::fflush(stdout);
        QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(&input, &QSocketNotifier::activated, [&] {
            char buffer[64];
            (void)::read(STDIN_FILENO, buffer, sizeof buffer);
            input.setEnabled(false);
            std::printf("requests %d\n", requests);
            std::fflush(stdout);
            app.quit();
        });
        return app.exec();
    }

    if (args.at(1) == QLatin1String("help-end")) {
        sys::HelpViewer::instance().setHelpFile(args.at(2));
        sys::HelpViewer::instance().showContents();
        QTimer::singleShot(0, [] { sys::End(3); });
        return app.exec();
    }
    return 2;
}
