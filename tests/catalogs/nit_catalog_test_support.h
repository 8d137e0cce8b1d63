#pragma once
// Helpers of the tests of the tax-id catalogues (taxpayers, suppliers): the messages both show,
// message boxes as text, a lock held by another session, and driving the form with real events.
#include "platform/ui/db_combo.h"
#include "platform/ui/dialogs.h"
#include "support/scripted_dialogs.h"

#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <QtTest>
#include <functional>
#include <sqlite3.h>

namespace nit_catalog_test {

inline const QString kCheckTitle = QStringLiteral(" ZAL(Planilla EKO)...");
inline const QString kNitMissing = QStringLiteral(" Debe ingresar un nit...");
inline const QString kNitInvalid = QStringLiteral(" Este no es un nit válido...");
inline const QString kLockedSave
    = QStringLiteral(" Un usuario está escribiendo en este momento en este mismo archivo... Desea usted volver a intentar grabar???");

// The scripted dialogs, with a hook that runs when a message box is shown (before its answer).
class Dialogs : public support::ScriptedDialogs {
public:
    std::function<void(const QString&)> onMsgBox;
    int msgBox(const QString& prompt, int style, const QString& title, int helpContext) override
    {
        if (onMsgBox)
            onMsgBox(prompt);
        return ScriptedDialogs::msgBox(prompt, style, title, helpContext);
    }
};

// Each message box as "prompt | style | title".
inline QStringList messages(const support::ScriptedDialogs& dialogs)
{
    QStringList out;
    for (const auto& call : dialogs.calls())
        out << QStringLiteral("%1 | %2 | %3").arg(call.prompt).arg(call.style).arg(call.title);
    return out;
}

inline QString info(const QString& prompt, const QString& title = kCheckTitle)
{
    return QStringLiteral("%1 | %2 | %3").arg(prompt).arg(ui::vbInformation).arg(title);
}

// A write lock held by another session on the database file.
class OtherSessionLock {
public:
    explicit OtherSessionLock(const QString& path)
    {
        sqlite3_open(path.toUtf8().constData(), &other_);
        locked_ = sqlite3_exec(other_, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~OtherSessionLock()
    {
        release();
        sqlite3_close(other_);
    }
    OtherSessionLock(const OtherSessionLock&) = delete;
    OtherSessionLock& operator=(const OtherSessionLock&) = delete;
    bool locked() const { return locked_; }
    void release()
    {
        if (locked_)
            sqlite3_exec(other_, "ROLLBACK", nullptr, nullptr, nullptr);
        locked_ = false;
    }

private:
    sqlite3* other_ = nullptr;
    bool locked_ = false;
};

// Loads the catalogue in a window of its own and makes it the active window.
template <class Catalog>
bool open(Catalog& f)
{
    f.Load();
    f.activateWindow();
    return QTest::qWaitForWindowActive(&f);
}

// Types the text into the emptied tax-id combo (real key events) and presses Enter.
inline void typeNitInto(ui::DBCombo* combo, const QString& text, bool enter = true)
{
    combo->setFocus();
    combo->lineEdit()->clear();
    QTest::keyClicks(combo, text);
    if (enter)
        QTest::keyClick(combo, Qt::Key_Return);
}

} // namespace nit_catalog_test
