#pragma once
// A check that every text box of a shown form shows its longest text whole.
#include <QString>
#include <QStringList>

class QWidget;

namespace support {

// Text of n characters as the boxes hold them: digits, or capitals in turn.
QString digitsText(int n);
QString capitalsText(int n);

// For every line edit with a max length (or a mask) and every combo, on the shown and laid out
// widget: the text area holds the longest text of that length. A combo needs a known length,
// from its edit box's max length or from ui::fitToChars. Returns one line per box that fails.
QStringList boxesTooNarrow(QWidget* form);

// Empty when the window takes share of its screen's free area (to a pixel) and is centred on it;
// otherwise what is wrong.
QString offShareOfScreen(const QWidget* window, double share);

} // namespace support
