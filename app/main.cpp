#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ZAL"));
    QMainWindow window;
    window.setWindowTitle(QStringLiteral(" ZAL - Planilla del EKO..."));
    window.setCentralWidget(new QMdiArea(&window));
    window.resize(900, 640);
    window.show();
    return app.exec();
}
