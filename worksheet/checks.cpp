#include "worksheet/checks.h"

#include "core/biblio.h"
#include "platform/basic/basic.h"
#include "platform/ui/dialogs.h"

namespace worksheet {

namespace {
const QString kZal = QStringLiteral(" ZAL");
const QString kNumeric = QStringLiteral("Debe ingresar un cantidad numérica...");

std::optional<QDate> dateOf(const QString& text)
{
    if (Biblio::FechaInvalida(text))
        return std::nullopt;
    try {
        const QVariant d = basic::CDate(text);
        return d.typeId() == QMetaType::QDateTime ? d.toDateTime().date() : d.toDate();
    } catch (const basic::RuntimeError&) {
        return std::nullopt;
    }
}

CheckFailure info(int n, const QString& message, const QString& title, Field focus)
{
    CheckFailure f;
    f.number = n;
    f.message = message;
    f.style = ui::vbInformation;
    f.title = title;
    f.focus = focus;
    return f;
}
} // namespace

QString formPrefix(int code)
{
    switch (code) {
    case 3: return QStringLiteral("2031");
    case 4: return QStringLiteral("2081");
    case 5: return QStringLiteral("2082");
    case 6: return QStringLiteral("7111");
    case 8: return QStringLiteral("203");
    case 9: return QStringLiteral("208");
    case 10: return QStringLiteral("711");
    default: return QString();
    }
}

QString rangeMessage(const QString& del, const QString& al)
{
    return QStringLiteral(" Debe ingresar una fecha entre el intervalo : ") + del + QStringLiteral(" al: ") + al;
}

bool dateInPeriod(const QString& fecha, const QString& del, const QString& al)
{
    const auto d = dateOf(fecha);
    const auto first = dateOf(del.trimmed());
    const auto last = dateOf(al.trimmed());
    return d && first && last && *d >= *first && *d <= *last;
}

std::optional<CheckFailure> saveCheck(int n, const Variant& v, const DocumentInput& in)
{
    switch (n) {
    case 1:
        if (in.supplierBound.isEmpty())
            return info(1, QStringLiteral(" Debe seleccionar un proveedor válido..."), QString(), Field::Proveedor);
        break;
    case 2:
        if (in.typeText.isEmpty())
            return info(2, QStringLiteral(" Debe seleccionar un Tipo de Documento válido..."), kZal, Field::Tipo);
        break;
    case 3:
        if (in.doc.trimmed().isEmpty() || !basic::IsNumeric(in.doc))
            return info(3, QStringLiteral(" Debe ingresar un No. Documento válido..."), kZal, Field::Doc);
        break;
    case 4:
        if (in.typeText == QStringLiteral("EKO Dcto. 39-99")) {
            const QString head = in.doc.trimmed().left(3);
            if (head != QStringLiteral("203") && head != QStringLiteral("100")) {
                auto f = info(4, QStringLiteral(" El Tipo de documento EKO Dcto. 39-99 exige un No. de Formulario válido..."),
                              kZal, Field::Doc);
                f.style |= ui::vbMsgBoxHelpButton;
                f.helpContext = 1080;
                return f;
            }
        }
        break;
    case 5: {
        const QString prefix = formPrefix(in.typeCode);
        if (!prefix.isEmpty() && in.doc.trimmed().left(prefix.size()) != prefix) {
            auto f = info(5, QStringLiteral(" El Tipo de documento ") + in.typeText
                                 + QStringLiteral(" exige un No. de Formulario válido..."),
                          kZal, Field::Doc);
            f.style |= ui::vbMsgBoxHelpButton;
            f.helpContext = 2520;
            return f;
        }
        break;
    }
    case 6:
        if (!dateOf(in.fecha))
            return info(6, rangeMessage(in.periodoDel, in.periodoAl), QString(), Field::Fecha);
        break;
    case 7:
        if (!dateInPeriod(in.fecha, in.periodoDel, in.periodoAl))
            return info(7, rangeMessage(in.periodoDel, in.periodoAl), QString(), Field::Fecha);
        break;
    case 8:
        if (in.gastoBound.isEmpty())
            return info(8, QStringLiteral(" Debe seleccionar un Tipo de Gasto válido..."), kZal, Field::Gasto);
        break;
    case 9: {
        // A number beyond a double's range is no amount either.
        const auto leading = leadingNumber(in.cantidad);
        if (in.cantidad.trimmed().isEmpty() || !leading || *leading <= 0)
            return info(9, v.amountMessage, QString(), Field::Cantidad);
        break;
    }
    case 10:
        if (in.typeCode == 1) {
            const auto d = dateOf(in.fecha);
            if (d && *d > QDate(2002, 3, 31))
                return info(10, QStringLiteral(" Documentos tipo Tiquete no se aceptan apartir de 01/Abril/2002 Decreto:62-2001..."),
                            QString(), Field::Tipo);
        }
        break;
    case 11: {
        // Strict reading: a "," that is no thousands separator makes the amount no number.
        const auto amount = readAmount(in.cantidad);
        if (!amount || *amount <= 0) {
            auto f = info(11, kNumeric, kZal, Field::Cantidad);
            f.clearField = true;
            return f;
        }
        break;
    }
    case 12:
        if (isFuel(v, in.gastoText)) {
            // A price at or below the fuel's rate, or an amount too small for its gallons' tax,
            // leaves nothing (or less) without the tax.
            const auto price = readAmount(in.unitario);
            const auto amount = readAmount(in.cantidad);
            if (!price || !amount || !amountWithoutTax(*amount, *price, fuelRate(v, in.gastoText))) {
                auto f = info(12, kNumeric, kZal, Field::Unitario);
                f.clearField = true;
                return f;
            }
        }
        break;
    case 13:
        if (isFuel(v, in.gastoText)) {
            // What "Total Sin IDP" shows is what is stored: it must be an amount.
            const auto calculos = readAmount(in.calculos);
            if (!calculos || basic::Round(*calculos, 2) <= 0) {
                auto f = info(13, kNumeric, kZal, Field::Calculos);
                f.clearField = true;
                return f;
            }
        }
        break;
    default:
        break;
    }
    return std::nullopt;
}

std::optional<CheckFailure> checkSave(const Variant& v, const DocumentInput& in)
{
    for (int n = 1; n <= 13; ++n)
        if (auto f = saveCheck(n, v, in))
            return f;
    return std::nullopt;
}

std::optional<CheckFailure> checkDelete(const Variant& v, const DocumentInput& in)
{
    for (int n : {1, 2, 3, 6, 7}) {
        if (n == 3) {
            if (in.doc.isEmpty())
                return info(3, QStringLiteral(" Debe ingresar un No. Documento válido..."), kZal, Field::Doc);
            continue;
        }
        if (auto f = saveCheck(n, v, in))
            return f;
    }
    return std::nullopt;
}

std::optional<double> storedAmount(const Variant& v, const DocumentInput& in)
{
    if (!isFuel(v, in.gastoText))
        return readAmount(in.cantidad);
    const auto calculos = readAmount(in.calculos);
    if (!calculos)
        return std::nullopt;
    return basic::Round(*calculos, 2);
}

} // namespace worksheet
