#include "platform/ui/masked_box.h"

#include "platform/basic/basic.h"

#include <QFocusEvent>

namespace ui {

MaskedBox::MaskedBox(QWidget* parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (switching_)
            return;
        if (formatted_) {
            // Someone wrote the box directly while the formatted text was shown.
            raw_ = text;
            setDisplay(formatted(raw_));
        }
        emit changed();
    });
}

QString MaskedBox::qtInputMask(const QString& mask, QChar prompt)
{
    if (mask.isEmpty())
        return QString();
    static const QString qtSpecial = QStringLiteral("AaNnXx90Dd#HhBb<>!{}[]\\;");
    QString out;
    for (int i = 0; i < mask.size(); ++i) {
        const QChar c = mask.at(i);
        switch (c.unicode()) {
        case '#':
        case '9': out += QLatin1Char('0'); break;
        case '?': out += QLatin1Char('a'); break;
        case 'A': out += QLatin1Char('n'); break;
        case 'a':
        case '&':
        case 'C': out += QLatin1Char('x'); break;
        case '>':
        case '<': out += c; break;
        case '\\':
            if (i + 1 < mask.size()) {
                const QChar next = mask.at(++i);
                if (qtSpecial.contains(next))
                    out += QLatin1Char('\\');
                out += next;
            }
            break;
        default:
            if (qtSpecial.contains(c))
                out += QLatin1Char('\\');
            out += c;
        }
    }
    return out + QLatin1Char(';') + prompt;
}

void MaskedBox::setMask(const QString& mask)
{
    if (formatted_)
        showRaw();
    mask_ = mask;
    setInputMask(qtInputMask(mask, prompt_));
    if (wantsFormattedDisplay())
        showFormatted();
}

void MaskedBox::setPromptChar(QChar prompt)
{
    prompt_ = prompt;
    if (!mask_.isEmpty()) {
        const QString text = QLineEdit::text();
        setInputMask(qtInputMask(mask_, prompt_));
        QLineEdit::setText(text);
    }
}

void MaskedBox::setFormat(const QString& format)
{
    if (formatted_)
        showRaw();
    format_ = format;
    if (wantsFormattedDisplay())
        showFormatted();
}

QString MaskedBox::Text() const
{
    if (!mask_.isEmpty())
        return displayText();
    return formatted_ ? raw_ : QLineEdit::text();
}

void MaskedBox::setText(const QString& text)
{
    if (!formatted_) {
        QLineEdit::setText(text);
        return;
    }
    if (raw_ == text)
        return;
    raw_ = text;
    setDisplay(formatted(raw_));
    emit changed();
}

QString MaskedBox::FormattedText() const
{
    if (!mask_.isEmpty())
        return displayText();
    return formatted_ ? QLineEdit::text() : formatted(QLineEdit::text());
}

QString MaskedBox::formatted(const QString& raw) const
{
    if (format_.isEmpty() || raw.isEmpty())
        return raw;
    try {
        return basic::Format(raw, format_);
    } catch (const basic::RuntimeError&) {
        return raw;
    }
}

bool MaskedBox::wantsFormattedDisplay() const
{
    return !format_.isEmpty() && mask_.isEmpty() && !hasFocus();
}

void MaskedBox::setDisplay(const QString& text)
{
    switching_ = true;
    // The formatted text may be longer than the typed one may be (thousands separators): it is
    // shown whole, and the limit is back when the typed text is.
    if (formatted_ && text.size() > maxLength()) {
        if (typedLimit_ == 0)
            typedLimit_ = maxLength();
        QLineEdit::setMaxLength(int(text.size()));
    }
    QLineEdit::setText(text);
    if (!formatted_ && typedLimit_ > 0) {
        QLineEdit::setMaxLength(typedLimit_);
        typedLimit_ = 0;
    }
    switching_ = false;
}

void MaskedBox::showFormatted()
{
    raw_ = QLineEdit::text();
    formatted_ = true;
    setDisplay(formatted(raw_));
}

void MaskedBox::showRaw()
{
    formatted_ = false;
    setDisplay(raw_);
}

void MaskedBox::focusInEvent(QFocusEvent* event)
{
    if (formatted_)
        showRaw();
    QLineEdit::focusInEvent(event);
}

void MaskedBox::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason && !format_.isEmpty() && mask_.isEmpty() && !formatted_)
        showFormatted();
}

} // namespace ui
