#pragma once
// The masked edit box of the forms.
//
// With a mask ("##/##/####" for dates) the box shows the mask's literals and a prompt character
// ('_' unless set) in every free position: an empty date box shows "__/__/____", and Text()
// returns exactly what is shown ("12/05/2009", "12/0_/____"). Only digits go into "#" and "9"
// positions. Mask characters: "#" and "9" digit, "?" letter, "A" letter or digit, "a", "&" and
// "C" any character, ">" / "<" upper / lower case from there on, "\" makes the next character a
// literal; every other character is a literal.
// Setting the mask to "" removes it; the text then is whatever the box holds.
//
// Without a mask, a display format ("##,###,##0.00", read by basic::Format) shows the value
// formatted while the box does not have the focus; Text() is always the unformatted text that
// was typed or set, and FormattedText() what is shown.
//
// changed() is emitted on every change of Text(), typed or set; the switching between the
// formatted and the unformatted display is no change.
#include <QLineEdit>

namespace ui {

class MaskedBox : public QLineEdit {
    Q_OBJECT
public:
    explicit MaskedBox(QWidget* parent = nullptr);

    QString Mask() const { return mask_; }
    void setMask(const QString& mask);
    QChar PromptChar() const { return prompt_; }
    void setPromptChar(QChar prompt);
    QString Format() const { return format_; }
    void setFormat(const QString& format);

    QString Text() const;
    void setText(const QString& text);
    QString FormattedText() const;

    // The Qt input mask of a mask of ours.
    static QString qtInputMask(const QString& mask, QChar prompt);

signals:
    void changed();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QString formatted(const QString& raw) const;
    bool wantsFormattedDisplay() const;
    void showFormatted();
    void showRaw();
    void setDisplay(const QString& text);

    QString mask_;
    QChar prompt_ = QLatin1Char('_');
    QString format_;
    QString raw_;            // the text while the formatted one is shown
    bool formatted_ = false; // the formatted text is shown
    int typedLimit_ = 0;     // the max length, while a longer formatted text is shown
    bool switching_ = false;
};

} // namespace ui
