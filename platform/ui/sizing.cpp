#include "platform/ui/sizing.h"

#include "platform/ui/masked_box.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>
#include <cmath>

namespace ui {

namespace {

const char* const kFittedChars = "fittedChars";

// QLineEdit keeps this many pixels between its contents rectangle and its text on each side,
// and draws the cursor one pixel wide after the last character.
constexpr int kLineEditMargin = 2;
constexpr int kCursorWidth = 1;
// A measuring width far beyond any box, so that styles have room for their parts.
constexpr int kProbeWidth = 1000;

// Boxes this short keep their width when the form grows.
constexpr int kShortBox = 20;

int lineEditTextArea(const QLineEdit* box, int width)
{
    QStyleOptionFrame opt;
    opt.initFrom(box);
    opt.rect = QRect(0, 0, width, qMax(box->height(), box->sizeHint().height()));
    opt.lineWidth = box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, box) : 0;
    opt.midLineWidth = 0;
    opt.state |= QStyle::State_Sunken;
    const QRect contents = box->style()->subElementRect(QStyle::SE_LineEditContents, &opt, box);
    const QMargins text = box->textMargins();
    return contents.width() - text.left() - text.right() - 2 * kLineEditMargin - kCursorWidth;
}

// The pixels a box needs besides the text it shows.
int lineEditExtra(const QLineEdit* box)
{
    return kProbeWidth - lineEditTextArea(box, kProbeWidth);
}

int comboExtra(const QComboBox* combo)
{
    QStyleOptionComboBox opt;
    opt.initFrom(combo);
    opt.editable = combo->isEditable();
    opt.frame = combo->hasFrame();
    opt.subControls = QStyle::SC_All;
    opt.rect = QRect(0, 0, kProbeWidth, combo->sizeHint().height());
    const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, combo);
    const int inner = combo->lineEdit() ? lineEditExtra(combo->lineEdit())
                                        : 2 * kLineEditMargin + kCursorWidth;
    return kProbeWidth - field.width() + inner;
}

int spinBoxExtra(const QAbstractSpinBox* spin)
{
    QStyleOptionSpinBox opt;
    opt.initFrom(spin);
    opt.frame = spin->hasFrame();
    opt.buttonSymbols = spin->buttonSymbols();
    opt.subControls = QStyle::SC_SpinBoxFrame | QStyle::SC_SpinBoxEditField | QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
    opt.rect = QRect(0, 0, kProbeWidth, spin->sizeHint().height());
    const QRect field = spin->style()->subControlRect(QStyle::CC_SpinBox, &opt, QStyle::SC_SpinBoxEditField, spin);
    return kProbeWidth - field.width() + 2 * kLineEditMargin + kCursorWidth;
}

} // namespace

int maskLength(const QString& mask)
{
    int n = 0;
    for (qsizetype i = 0; i < mask.size(); ++i) {
        const QChar c = mask.at(i);
        if (c == QLatin1Char('>') || c == QLatin1Char('<'))
            continue;
        if (c == QLatin1Char('\\') && i + 1 < mask.size())
            ++i;   // the next character is a literal
        ++n;
    }
    return n;
}

int textLimit(const QLineEdit* box)
{
    if (const auto* masked = qobject_cast<const MaskedBox*>(box); masked && !masked->Mask().isEmpty())
        return maskLength(masked->Mask());   // a masked box shows every position of its mask
    return box->maxLength() < 32767 ? box->maxLength() : 0;
}

namespace {

// Draws the focus of buttons whichever way the focus came, in the highlight colour.
class FocusStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        QProxyStyle::drawControl(element, option, painter, widget);
        if (element == CE_PushButton && (option->state & State_HasFocus))
            drawFocus(option, painter);
    }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget) const override
    {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        if (control == CC_ToolButton && (option->state & State_HasFocus))
            drawFocus(option, painter);
        // A list-only combo has no text cursor to show where the focus is: it gets the frame
        // the buttons get (an editable one shows the focus in its text box).
        if (control == CC_ComboBox && (option->state & State_HasFocus)) {
            const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option);
            if (combo && !combo->editable)
                drawFocus(option, painter);
        }
    }

private:
    static void drawFocus(const QStyleOption* option, QPainter* painter)
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setBrush(Qt::NoBrush);
        painter->setPen(QPen(option->palette.color(QPalette::Highlight), 2));
        painter->drawRect(QRectF(option->rect).adjusted(2, 2, -2, -2));
        painter->restore();
    }
};

QPointer<QStyle>& installedFocusStyle()
{
    static QPointer<QStyle> style;
    return style;
}

} // namespace

int charsWidth(const QFontMetrics& metrics, int nChars)
{
    static const QString digits = QStringLiteral("0123456789");
    static const QString capitals = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    const double perChar = qMax(metrics.horizontalAdvance(digits) / double(digits.size()),
                                metrics.horizontalAdvance(capitals) / double(capitals.size()));
    return int(std::ceil(perChar * qMax(0, nChars)));
}

void fitToChars(QWidget* box, int nChars, bool growable)
{
    if (!box || nChars <= 0)
        return;
    box->ensurePolished();
    int extra = 0;
    if (auto* combo = qobject_cast<QComboBox*>(box))
        extra = comboExtra(combo);
    else if (auto* spin = qobject_cast<QAbstractSpinBox*>(box))
        extra = spinBoxExtra(spin);
    else if (auto* edit = qobject_cast<QLineEdit*>(box))
        extra = lineEditExtra(edit);
    else
        return;
    // Half a character to spare for texts whose letters run wider than the average.
    const int width = charsWidth(box->fontMetrics(), nChars) + charsWidth(box->fontMetrics(), 1) / 2 + extra;
    box->setProperty(kFittedChars, nChars);
    if (growable) {
        box->setMinimumWidth(width);
        if (box->maximumWidth() < width)
            box->setMaximumWidth(QWIDGETSIZE_MAX);
    } else {
        box->setFixedWidth(width);
    }
}

int fittedChars(const QWidget* box)
{
    return box ? box->property(kFittedChars).toInt() : 0;
}

void fitToMaxLength(QWidget* widget)
{
    if (!widget)
        return;
    for (QLineEdit* edit : widget->findChildren<QLineEdit*>()) {
        QWidget* owner = edit->parentWidget();
        if (auto* combo = qobject_cast<QComboBox*>(owner)) {
            const int n = textLimit(edit);
            if (n > 0 && fittedChars(combo) == 0)
                fitToChars(combo, n, n > kShortBox);
            continue;
        }
        if (qobject_cast<QAbstractSpinBox*>(owner))
            continue;
        if (const int n = textLimit(edit); n > 0)
            fitToChars(edit, n, n > kShortBox);
    }
}

int textAreaWidth(const QWidget* lineEdit)
{
    const auto* edit = qobject_cast<const QLineEdit*>(lineEdit);
    return edit ? lineEditTextArea(edit, edit->width()) : 0;
}

namespace {

QRect freeArea(const QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

} // namespace

void placeOnScreen(QWidget* window, double share)
{
    if (!window)
        return;
    const QRect free = freeArea(window);
    share = qBound(0.1, share, 1.0);
    placeOnScreen(window, QSize(int(free.width() * share), int(free.height() * share)));
}

void placeOnScreen(QWidget* window, const QSize& wanted)
{
    if (!window)
        return;
    const QRect free = freeArea(window);
    if (free.isEmpty())
        return;
    const QSize size = wanted.expandedTo(window->minimumSizeHint()).expandedTo(window->minimumSize()).boundedTo(free.size());
    window->resize(size);
    window->move(free.x() + (free.width() - size.width()) / 2, free.y() + (free.height() - size.height()) / 2);
}

void installFocusStyle()
{
    if (focusStyleInstalled())
        return;
    QStyle* base = QStyleFactory::create(QApplication::style()->name());
    auto* style = new FocusStyle(base);   // the proxy owns its base style
    QApplication::setStyle(style);        // the application owns the style
    installedFocusStyle() = style;
}

bool focusStyleInstalled()
{
    return installedFocusStyle() && QApplication::style() == installedFocusStyle();
}

void setTextFromStart(QLineEdit* box, const QString& text)
{
    if (!box)
        return;
    box->setText(text);
    box->setCursorPosition(0);
}

QString elideAtWord(const QString& text, const QFontMetrics& metrics, int width)
{
    if (metrics.horizontalAdvance(text) <= width)
        return text;
    const QString ellipsis = QStringLiteral("…");
    const int room = width - metrics.horizontalAdvance(ellipsis);
    QString best;
    for (qsizetype space = text.indexOf(QLatin1Char(' ')); space > 0;
         space = text.indexOf(QLatin1Char(' '), space + 1)) {
        const QString head = text.left(space).trimmed();
        if (metrics.horizontalAdvance(head) > room)
            break;
        if (!head.isEmpty())
            best = head;
    }
    if (best.isEmpty())
        return metrics.elidedText(text, Qt::ElideRight, width);
    return best + ellipsis;
}

} // namespace ui
