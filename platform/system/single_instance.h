#pragma once
// Only one copy of the program runs per user. Which copy runs is decided by an exclusive lock file
// named after the user's id in the temporary folder (a lock left by a copy that died is taken
// over); the copy holding it listens on a local socket of the same name. Copies of other users
// have names of their own and never meet. A later copy finds the lock taken, sends the restore
// request ("% R": Alt+Space, then R, the Restore command of a window's system menu), waits until
// the first copy has taken it (or a few seconds), and ends; restoreTaken() says whether the first
// copy answered. The first copy announces the request with restoreRequested(), on which the main
// window restores and raises itself (restoreWindow does that).
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLockFile;
class QWidget;

namespace sys {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // The bytes a later copy sends to the running one.
    static constexpr const char* kRestoreRequest = "% R";

    // name: the socket name; an empty name uses defaultName().
    explicit SingleInstance(const QString& name = QString(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // "zal-eko-" followed by the user's numeric id: the same whatever the environment says the
    // login name is, and another for every user.
    static QString defaultName();

    // True when this is the only copy: from now on it listens for later copies. False when another
    // copy runs: the restore request has been sent to it (and taken, or a few seconds have passed).
    // Calling it again after it returned true changes nothing and returns true.
    bool tryBecomePrimary();

    bool isPrimary() const;
    // After tryBecomePrimary() returned false: true when the running copy answered that it took
    // the restore request; false when it could not be reached or did not answer in time.
    bool restoreTaken() const { return restoreTaken_; }
    QString name() const { return name_; }

    // Shows a window in its normal state when it is minimized, brings it to the front and gives it
    // the focus.
    static void restoreWindow(QWidget* window);

signals:
    // A later copy asked this one to restore its window.
    void restoreRequested();

private:
    void acceptConnections();
    // True when the running copy answered the restore request.
    bool askRunningCopy();

    QString name_;
    std::unique_ptr<QLockFile> lock_;
    bool primaryWithoutLock_ = false;
    bool restoreTaken_ = false;
    QLocalServer* server_ = nullptr;
};

} // namespace sys
