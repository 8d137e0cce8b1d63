#include "catalogs/fuel_rules.h"

namespace fuel {

const QStringList& NombresCombustible()
{
    static const QStringList names{
        QStringLiteral("GASOLINA SUPERIOR"),
        QStringLiteral("GASOLINA REGULAR"),
        QStringLiteral("GASOLINA DE AVIACIÓN"),
        QStringLiteral("GASOLINA DE AVIACION"),
        QStringLiteral("DIESEL Y GAS OIL"),
        QStringLiteral("KEROSINA (DPK)"),
        QStringLiteral("KEROSINA MOTORES REACCION"),
        QStringLiteral("KEROSINA MOTORES REACCIÓN"),
        QStringLiteral("NAFTA"),
        QStringLiteral("GAS LICUADO DE PETROLEO"),
        QStringLiteral("GAS LICUADO DE PETRÓLEO"),
    };
    return names;
}

const QStringList& NombresCombustibleAmpliado()
{
    static const QStringList names = NombresCombustible() + QStringList{
        QStringLiteral("GAS SUPERIOR"),
        QStringLiteral("GAS REGULAR"),
        QStringLiteral("GAS DE AVIACIÓN"),
    };
    return names;
}

const QStringList& PalabrasCombustible()
{
    static const QStringList words{
        QStringLiteral("GASOLINA"),    QStringLiteral("GAS"),        QStringLiteral("COMBUSTIBLE"),
        QStringLiteral("CARBURANTE"),  QStringLiteral("PETROLEO"),   QStringLiteral("PETRÓLEO"),
        QStringLiteral("BENCINA"),     QStringLiteral("DIESEL"),     QStringLiteral("GAS OIL"),
        QStringLiteral("GAS PROPANO"), QStringLiteral("BUTANO"),     QStringLiteral("METANO"),
        QStringLiteral("GAS BUTANO"),  QStringLiteral("GAS METANO"),
    };
    return words;
}

const QStringList& CodigosCombustible()
{
    static const QStringList codes{
        QStringLiteral("24"), QStringLiteral("25"), QStringLiteral("26"), QStringLiteral("27"),
        QStringLiteral("28"), QStringLiteral("29"), QStringLiteral("30"), QStringLiteral("31"),
    };
    return codes;
}

bool deletionRefused(const QString& text)
{
    return NombresCombustible().contains(text.toUpper(), Qt::CaseSensitive);
}

bool alreadyEntered(const QString& text)
{
    return NombresCombustibleAmpliado().contains(text.toUpper(), Qt::CaseSensitive);
}

bool genericFuelWord(const QString& text)
{
    return PalabrasCombustible().contains(text.toUpper(), Qt::CaseSensitive);
}

bool pickRefused(const QString& code)
{
    return CodigosCombustible().contains(code, Qt::CaseSensitive);
}

} // namespace fuel
