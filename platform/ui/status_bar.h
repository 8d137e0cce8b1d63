#pragma once
// The status bar of a form (Stat) with numbered panels, counted from 1:
//   Stat->panel(3).setText("Ingrese el nombre del contribuyente...");
//   Stat->panel(3).text();
// Panels are made on first use: panel(3) makes panels 1 to 3 when they are not there yet.
// A panel can show the date (dd/MM/yyyy) or the time (HH:mm) of the program's clock instead of a
// text; those keep themselves up to date and keep one width, whatever the other panels show.
// Text panels share the width that is left. A text longer than its panel is cut after its last
// whole word that fits, followed by "…", and the whole text shows as the panel's tooltip; text()
// is always the whole text.
#include <QLabel>
#include <QList>
#include <QStatusBar>

class QTimer;

namespace ui {

class StatusPanel : public QLabel {
    Q_OBJECT
public:
    enum class Style { Text, Date, Time };
    explicit StatusPanel(QWidget* parent = nullptr);
    Style style() const { return style_; }
    void setStyle(Style style);
    void updateClock();   // shows the clock's date or time now (for the Date and Time styles)

    // The panel's whole text (what is shown may be cut to fit).
    QString text() const { return text_; }
    void setText(const QString& text);
    void clear() { setText(QString()); }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void showText();

    Style style_ = Style::Text;
    QString text_;
};

class StatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent = nullptr);
    StatusPanel& panel(int index);   // 1-based
    int panelCount() const { return int(panels_.size()); }
private:
    QList<StatusPanel*> panels_;
    QTimer* clock_;
};

} // namespace ui
