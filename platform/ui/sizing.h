#pragma once
// Sizing helpers that make the forms fit what they show.
//
//   ui::fitToChars(cmbNit, 14);        // the combo shows 14 characters whole
//   ui::fitToMaxLength(this);          // every text box of the form as wide as its max length
//   ui::placeOnScreen(mainWindow, 0.8) // 80% of the screen's free area, centred
//   ui::installFocusStyle();           // keyboard focus drawn on every button (once, in main)
//
// A character here is an ordinary one of the box's font: the wider of an average digit and an
// average capital letter, so tax ids, amounts and names typed in capitals fit whole.
#include <QString>

class QFontMetrics;
class QLineEdit;
class QSize;
class QWidget;

namespace ui {

// The pixels that nChars ordinary characters take in the font.
int charsWidth(const QFontMetrics& metrics, int nChars);

// Makes a text box (QLineEdit, an editable QComboBox, a spin box) wide enough to show nChars
// characters whole, frame and buttons included. It never gets narrower than that; when growable
// is false it does not get wider either. The count is kept on the box (fittedChars).
void fitToChars(QWidget* box, int nChars, bool growable = true);
// The count given to fitToChars for the box; 0 when it was never fitted.
int fittedChars(const QWidget* box);

// Fits every text box inside the widget to its maximum length: line edits with a max length,
// masked boxes with a mask, and combos whose edit box has a max length. Boxes without a limit
// (and combos fitted on their own) are left as they are. Short boxes (20 characters or fewer)
// keep their width; longer ones may grow with the form.
void fitToMaxLength(QWidget* widget);

// The characters a line edit holds at most: its max length, or the positions of a masked box's
// mask; 0 when it has no limit.
int textLimit(const QLineEdit* box);
int maskLength(const QString& mask);

// The inner width of a line edit where text shows (its width less frame, margins and cursor).
int textAreaWidth(const QWidget* lineEdit);

// Resizes a top-level window to share (0..1) of the free area of its screen, never below its
// minimum size nor beyond the screen, and centres it there.
void placeOnScreen(QWidget* window, double share);
// Resizes a top-level window to size, within its minimum size and the screen's free area, and
// centres it there.
void placeOnScreen(QWidget* window, const QSize& size);

// Draws a clear focus frame on push and tool buttons that have the focus, however it came
// (Tab, a click, or the program moving it after Enter). Installs a style over the current one;
// calling it again changes nothing.
void installFocusStyle();
bool focusStyleInstalled();

// The text cut after its last whole word that fits in width pixels, followed by "…"; the text
// itself when it fits. A first word that does not fit is cut at a character.
QString elideAtWord(const QString& text, const QFontMetrics& metrics, int width);

} // namespace ui
