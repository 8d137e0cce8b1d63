#include "platform/system/single_instance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLockFile>
#include <QThread>
#include <QLocalSocket>
#include <QWidget>
#include <memory>
#include <unistd.h>

namespace sys {
namespace {
// The running copy answers with this once it has announced the request.
const QByteArray kTaken = QByteArrayLiteral("OK");

constexpr int kConnectTimeoutMs = 1000;
constexpr int kAnswerTimeoutMs = 3000;
constexpr int kListenWaitMs = 5000;
constexpr int kRetryMs = 50;
} // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent), name_(name.isEmpty() ? defaultName() : name)
{
}

SingleInstance::~SingleInstance()
{
    // The socket goes before the lock, so that the next copy to take the lock finds the name free.
    delete server_;
    server_ = nullptr;
}

QString SingleInstance::defaultName()
{
    // The user's id, not a login name from the environment: a copy started without USER (or with
    // another name in it) still finds the user's running copy, and never another user's.
    return QStringLiteral("zal-eko-") + QString::number(::getuid());
}

bool SingleInstance::tryBecomePrimary()
{
    if (isPrimary())
        return true;

    // The lock decides: of copies started at the same moment exactly one gets it.
    auto lock = std::make_unique<QLockFile>(QDir::tempPath() + QLatin1Char('/') + name_ + QStringLiteral(".lock"));
    lock->setStaleLockTime(0);   // only a lock whose copy is gone is taken over, however old
    if (!lock->tryLock(0)) {
        if (lock->error() == QLockFile::LockFailedError) {
            restoreTaken_ = askRunningCopy();
            return false;
        }
        // The lock file cannot be made at all (an unwritable temporary folder): the guard cannot
        // work, and the program still runs.
        primaryWithoutLock_ = true;
        return true;
    }
    lock_ = std::move(lock);

    // The name is ours now: a socket still there was left by a copy that did not end normally.
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    bool listening = server_->listen(name_);
    if (!listening && server_->serverError() == QAbstractSocket::AddressInUseError) {
        QLocalServer::removeServer(name_);
        listening = server_->listen(name_);
    }
    if (!listening) {
        // Without a socket later copies cannot reach this one; the lock still keeps them out.
        delete server_;
        server_ = nullptr;
        return true;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    return true;
}

bool SingleInstance::askRunningCopy()
{
    // The running copy may have taken the lock a moment ago and not be listening yet.
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < kListenWaitMs) {
        QLocalSocket socket;
        socket.connectToServer(name_);
        if (socket.waitForConnected(kConnectTimeoutMs)) {
            socket.write(kRestoreRequest);
            socket.flush();
            socket.waitForBytesWritten(kConnectTimeoutMs);
            // Wait until the running copy has taken the request: it answers, then hangs up.
            QByteArray answer;
            QElapsedTimer answering;
            answering.start();
            while (!answer.contains(kTaken) && answering.elapsed() < kAnswerTimeoutMs
                   && socket.waitForReadyRead(int(kAnswerTimeoutMs - answering.elapsed())))
                answer += socket.readAll();
            answer += socket.readAll();
            socket.disconnectFromServer();
            return answer.contains(kTaken);
        }
        QThread::msleep(kRetryMs);
    }
    return false;
}

bool SingleInstance::isPrimary() const
{
    return lock_ != nullptr || primaryWithoutLock_;
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        auto received = std::make_shared<QByteArray>();
        auto read = [this, socket, received] {
            received->append(socket->readAll());
            if (received->contains(kRestoreRequest)) {
                received->clear();
                emit restoreRequested();
                socket->write(kTaken);
                socket->flush();
                socket->disconnectFromServer();
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, read);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (socket->bytesAvailable() > 0)
            read();
    }
}

void SingleInstance::restoreWindow(QWidget* window)
{
    if (!window)
        return;
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace sys
