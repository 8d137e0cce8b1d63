// Boxes sized for their text, windows placed on the screen, visible button focus, and the status
// bar's panels.
#include "support/fit_check.h"
#include "support/support.h"

#include "platform/ui/masked_box.h"
#include "platform/ui/sizing.h"
#include "platform/ui/status_bar.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

class TestUiSizing : public QObject {
    Q_OBJECT
private slots:
    void fitToCharsShowsTheWholeText_data();
    void fitToCharsShowsTheWholeText();
    void fitToMaxLengthFitsEveryLimitedBox();
    void fitToMaxLengthKeepsShortBoxesAndLetsLongOnesGrow();
    void placeOnScreenTakesAShareCentred_data();
    void placeOnScreenTakesAShareCentred();
    void placeOnScreenKeepsTheMinimumSize();
    void elideAtWord_data();
    void elideAtWord();
    void focusedButtonsShowTheirFocus_data();
    void focusedButtonsShowTheirFocus();
    void statusBarDateAndTimePanelsKeepTheirWidth();
    void statusBarLongPromptIsCutAtAWordWithTooltip();
    void statusBarTextPanelTakesTheSpareWidth();
};

void TestUiSizing::fitToCharsShowsTheWholeText_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("chars");
    for (const char* kind : {"lineedit", "combo", "lineedit-margins", "masked"})
        for (int n : {1, 5, 14, 50, 90})
            QTest::addRow("%s %d", kind, n) << QString::fromLatin1(kind) << n;
}

void TestUiSizing::fitToCharsShowsTheWholeText()
{
    QFETCH(QString, kind);
    QFETCH(int, chars);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    QWidget* box = nullptr;
    QLineEdit* edit = nullptr;
    if (kind == QLatin1String("combo")) {
        auto* combo = new QComboBox;
        combo->setEditable(true);
        combo->addItem(QStringLiteral("1"));
        box = combo;
        edit = combo->lineEdit();
    } else {
        edit = kind == QLatin1String("masked") ? new ui::MaskedBox : new QLineEdit;
        if (kind == QLatin1String("lineedit-margins"))
            edit->setTextMargins(6, 0, 9, 0);
        box = edit;
    }
    layout->addWidget(box);
    layout->addStretch();
    ui::fitToChars(box, chars, false);
    QCOMPARE(ui::fittedChars(box), chars);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const int room = ui::textAreaWidth(edit);
    QVERIFY2(room >= edit->fontMetrics().horizontalAdvance(support::digitsText(chars)), qPrintable(QString::number(room)));
    QVERIFY2(room >= edit->fontMetrics().horizontalAdvance(support::capitalsText(chars)), qPrintable(QString::number(room)));
    // Not absurdly wide either: two characters of slack at most.
    QVERIFY(room <= ui::charsWidth(edit->fontMetrics(), chars + 2));
    QVERIFY(support::boxesTooNarrow(&window).isEmpty() || kind != QLatin1String("combo"));
}

void TestUiSizing::fitToMaxLengthFitsEveryLimitedBox()
{
    QWidget form;
    auto* grid = new QGridLayout(&form);
    const QList<int> lengths{14, 50, 90, 6};
    for (int i = 0; i < lengths.size(); ++i) {
        auto* edit = new QLineEdit;
        edit->setObjectName(QStringLiteral("txt%1").arg(i));
        edit->setMaxLength(lengths.at(i));
        grid->addWidget(edit, i, 0);
    }
    auto* date = new ui::MaskedBox;
    date->setObjectName(QStringLiteral("txtFecha"));
    date->setMask(QStringLiteral("##/##/####"));
    grid->addWidget(date, 4, 0);
    auto* combo = new QComboBox;
    combo->setObjectName(QStringLiteral("cmbNit"));
    combo->setEditable(true);
    combo->lineEdit()->setMaxLength(14);
    grid->addWidget(combo, 5, 0);
    auto* free = new QLineEdit;
    grid->addWidget(free, 6, 0);
    auto* spin = new QSpinBox;
    grid->addWidget(spin, 7, 0);

    form.resize(10, 10);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(!support::boxesTooNarrow(&form).isEmpty());   // the check sees narrow boxes

    ui::fitToMaxLength(&form);
    form.resize(10, 10);   // the layout keeps the boxes' minimum widths
    QTest::qWait(0);
    const QStringList failures = support::boxesTooNarrow(&form);
    QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    QCOMPARE(ui::fittedChars(date), 10);
    QCOMPARE(ui::fittedChars(combo), 14);
    QCOMPARE(ui::fittedChars(free), 0);
    QCOMPARE(ui::fittedChars(spin), 0);
}

void TestUiSizing::fitToMaxLengthKeepsShortBoxesAndLetsLongOnesGrow()
{
    QWidget form;
    auto* layout = new QVBoxLayout(&form);
    auto* shortBox = new QLineEdit;
    shortBox->setMaxLength(14);
    auto* longBox = new QLineEdit;
    longBox->setMaxLength(50);
    layout->addWidget(shortBox);
    layout->addWidget(longBox);
    ui::fitToMaxLength(&form);
    form.resize(2000, 200);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(shortBox->width(), shortBox->minimumWidth());
    QVERIFY(longBox->width() > longBox->minimumWidth());
}

void TestUiSizing::placeOnScreenTakesAShareCentred_data()
{
    QTest::addColumn<double>("share");
    QTest::newRow("80%") << 0.8;
    QTest::newRow("half") << 0.5;
    QTest::newRow("whole") << 1.0;
}

void TestUiSizing::placeOnScreenTakesAShareCentred()
{
    QFETCH(double, share);
    QWidget window;
    window.resize(900, 640);
    ui::placeOnScreen(&window, share);
    const QString off = support::offShareOfScreen(&window, share);
    QVERIFY2(off.isEmpty(), qPrintable(off));
}

void TestUiSizing::placeOnScreenKeepsTheMinimumSize()
{
    QWidget window;
    const QRect free = window.screen()->availableGeometry();
    window.setMinimumSize(free.width() * 3 / 4, 100);
    ui::placeOnScreen(&window, 0.2);
    QCOMPARE(window.width(), free.width() * 3 / 4);
    QVERIFY(free.contains(window.geometry()));
}

void TestUiSizing::elideAtWord_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("chars");   // room, in widths of "x"
    const QString prompt = QStringLiteral("Ingrese o seleccione el nit(sin guiones o espacios en blanco)...");
    QTest::newRow("fits") << prompt << 200;
    QTest::newRow("empty") << QString() << 0;
    QTest::newRow("cut at a word") << prompt << 30;
    QTest::newRow("first words") << prompt << 12;
    QTest::newRow("double blanks") << QStringLiteral("Ingrese  el   nombre del contribuyente") << 14;
    QTest::newRow("one long word") << QStringLiteral("Descripción_del_gasto_sin_blancos") << 12;
}

void TestUiSizing::elideAtWord()
{
    QFETCH(QString, text);
    QFETCH(int, chars);
    const QFontMetrics fm(QApplication::font());
    const int width = fm.horizontalAdvance(QString(chars, QLatin1Char('x')));
    const QString shown = ui::elideAtWord(text, fm, width);
    QVERIFY(fm.horizontalAdvance(shown) <= width);
    if (fm.horizontalAdvance(text) <= width) {
        QCOMPARE(shown, text);
        return;
    }
    QVERIFY(shown.endsWith(QChar(0x2026)));
    const QString head = shown.chopped(1);
    QVERIFY(!head.isEmpty());
    if (!text.contains(QLatin1Char(' ')) || fm.horizontalAdvance(text.section(QLatin1Char(' '), 0, 0)) > width) {
        QVERIFY(text.startsWith(head));   // cut inside the first word
        return;
    }
    // Cut at the end of a word, and the next word would not have fitted.
    QVERIFY2(text.startsWith(head + QLatin1Char(' ')), qPrintable(shown));
    const qsizetype next = text.indexOf(QLatin1Char(' '), head.size() + 1);
    QString longer = text.left(next < 0 ? text.size() : next);
    while (longer.endsWith(QLatin1Char(' ')))
        longer.chop(1);
    QVERIFY(longer == head || fm.horizontalAdvance(longer + QChar(0x2026)) > width);
}

void TestUiSizing::focusedButtonsShowTheirFocus_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("push button") << "push";
    QTest::newRow("tool button") << "tool";
    QTest::newRow("list-only combo") << "combo";
}

namespace {

int highlightPixels(QWidget* button)
{
    const QColor highlight = button->palette().color(QPalette::Highlight);
    const QImage image = button->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == highlight)
                ++count;
    return count;
}

} // namespace

void TestUiSizing::focusedButtonsShowTheirFocus()
{
    QFETCH(QString, kind);
    ui::installFocusStyle();
    ui::installFocusStyle();   // a second call keeps the one style
    QVERIFY(ui::focusStyleInstalled());

    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* other = new QLineEdit;
    QWidget* button = nullptr;
    if (kind == QLatin1String("combo")) {
        auto* combo = new QComboBox;
        combo->addItems({QStringLiteral("Factura"), QStringLiteral("Tiquete")});
        button = combo;
    } else {
        auto* b = kind == QLatin1String("tool") ? static_cast<QAbstractButton*>(new QToolButton) : new QPushButton;
        b->setText(QStringLiteral("&Grabar"));
        button = b;
    }
    button->setMinimumSize(80, 32);
    layout->addWidget(other);
    layout->addWidget(button);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    other->setFocus(Qt::OtherFocusReason);
    const int unfocused = highlightPixels(button);
    // The program moves the focus (as after Enter), not the keyboard.
    button->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(button->hasFocus());
    const int focused = highlightPixels(button);
    // A 2-pixel frame all round the button.
    QVERIFY2(focused - unfocused >= 2 * (button->width() + button->height()),
             qPrintable(QStringLiteral("%1 -> %2").arg(unfocused).arg(focused)));
}

void TestUiSizing::statusBarDateAndTimePanelsKeepTheirWidth()
{
    support::FixedClock clock(QDateTime(QDate(2009, 5, 12), QTime(8, 5)));
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    layout->addStretch();
    auto* bar = new ui::StatusBar;
    layout->addWidget(bar);
    bar->panel(3).setText(QStringLiteral("Ingrese el nombre..."));
    bar->panel(1).setStyle(ui::StatusPanel::Style::Date);
    bar->panel(2).setStyle(ui::StatusPanel::Style::Time);
    window.resize(640, 120);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const QRect date = bar->panel(1).geometry();
    const QRect time = bar->panel(2).geometry();
    QVERIFY(date.width() >= bar->panel(1).fontMetrics().horizontalAdvance(bar->panel(1).text()));
    for (const QString& prompt : {QString(), QStringLiteral("Seleccione"),
                                  QString(300, QLatin1Char('x')),
                                  QStringLiteral("Ingrese o seleccione el nit(sin guiones o espacios en blanco)...")}) {
        bar->panel(3).setText(prompt);
        QTest::qWait(0);
        QCOMPARE(bar->panel(1).geometry(), date);
        QCOMPARE(bar->panel(2).geometry(), time);
        QCOMPARE(window.width(), 640);
    }
}

void TestUiSizing::statusBarLongPromptIsCutAtAWordWithTooltip()
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* bar = new ui::StatusBar;
    layout->addWidget(bar);
    ui::StatusPanel& prompt = bar->panel(3);
    bar->panel(1).setStyle(ui::StatusPanel::Style::Date);
    bar->panel(2).setStyle(ui::StatusPanel::Style::Time);
    window.resize(360, 60);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    const QString longText = QStringLiteral("Ingrese o seleccione el nit(sin guiones o espacios en blanco)...");
    prompt.setText(longText);
    QCOMPARE(prompt.text(), longText);
    const QString shown = prompt.QLabel::text();
    QVERIFY2(shown.endsWith(QChar(0x2026)) && shown.size() < longText.size(), qPrintable(shown));
    QVERIFY(longText.startsWith(shown.chopped(1) + QLatin1Char(' ')));   // cut at a word
    QCOMPARE(prompt.toolTip(), longText);

    // Room again: the whole text, no tooltip.
    window.resize(1400, 60);
    QTest::qWait(50);
    qDebug() << bar->layout()->geometry() << bar->geometry() << prompt.geometry() << bar->layout()->count();
    QTRY_VERIFY2(prompt.QLabel::text() == longText, qPrintable(QStringLiteral("%1 %2 %3").arg(window.width()).arg(bar->width()).arg(prompt.width()) + QStringLiteral(" %1 %2 %3 %4").arg(bar->panel(1).x()).arg(bar->panel(2).x()).arg(prompt.x()).arg(prompt.maximumWidth())));
    QCOMPARE(prompt.toolTip(), QString());
    prompt.clear();
    QCOMPARE(prompt.text(), QString());
}

void TestUiSizing::statusBarTextPanelTakesTheSpareWidth()
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* bar = new ui::StatusBar;
    layout->addWidget(bar);
    bar->panel(1).setStyle(ui::StatusPanel::Style::Date);
    bar->panel(2).setStyle(ui::StatusPanel::Style::Time);
    bar->panel(3);
    window.resize(800, 60);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const int fixed = bar->panel(1).width() + bar->panel(2).width();
    QVERIFY(bar->panel(3).width() > bar->width() - fixed - 40);
    QVERIFY(bar->panel(1).x() < bar->panel(2).x());
    QVERIFY(bar->panel(2).x() < bar->panel(3).x());
}

QTEST_MAIN(TestUiSizing)
#include "test_ui_sizing.moc"
