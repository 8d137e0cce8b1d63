// Build step: makes the default database file when none is there. An existing file is never
// touched, so a rebuild cannot harm the user's data.
#include "platform/db/schema.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "uso: zal_mkdb ARCHIVO\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    if (QFileInfo::exists(path))
        return 0;
    QString why;
    if (!db::createDefaultDatabase(path, &why)) {
        std::fprintf(stderr, "zal_mkdb: %s: %s\n", argv[1], why.toLocal8Bit().constData());
        return 1;
    }
    std::printf("zal_mkdb: creada %s\n", argv[1]);
    return 0;
}
