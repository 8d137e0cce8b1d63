#pragma once
// The status bar of a form (Stat) with numbered panels, counted from 1:
//   Stat->panel(3).setText("Ingrese el nombre del contribuyente...");
//   Stat->panel(3).text();
// Panels are made on first use: panel(3) makes panels 1 to 3 when they are not there yet.
// A panel can show the date (dd/MM/yyyy) or the time (HH:mm) of the program's clock instead of a
// text; those keep themselves up to date.
#include <QLabel>
#include <QList>
#include <QStatusBar>

class QTimer;

namespace ui {

class StatusPanel : public QLabel {
    Q_OBJECT
public:
    enum class Style { Text, Date, Time };
    explicit StatusPanel(QWidget* parent = nullptr) : QLabel(parent) {}
    Style style() const { return style_; }
    void setStyle(Style style);
    void updateClock();   // shows the clock's date or time now (for the Date and Time styles)
private:
    Style style_ = Style::Text;
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
