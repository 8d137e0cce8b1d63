#include "platform/system/single_instance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>
#include <memory>

namespace sys {
namespace {
// The running copy answers with this once it has announced the request.
const QByteArray kTaken = QByteArrayLiteral("OK");

constexpr int kConnectTimeoutMs = 1000;
constexpr int kAnswerTimeoutMs = 3000;
} // namespace

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent), name_(name.isEmpty() ? defaultName() : name)
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultName()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
    if (user.isEmpty())
        user = qEnvironmentVariable("LOGNAME");
    QString safe;
    for (QChar c : user) {
        if ((c.isLetterOrNumber() && c.unicode() < 128) || c == QLatin1Char('-') || c == QLatin1Char('_'))
            safe += c;
        else
            safe += QLatin1Char('_');
    }
    if (safe.isEmpty())
        safe = QStringLiteral("usuario");
    return QStringLiteral("zal-eko-") + safe;
}

bool SingleInstance::tryBecomePrimary()
{
    if (isPrimary())
        return true;

    {
        QLocalSocket socket;
        socket.connectToServer(name_);
        if (socket.waitForConnected(kConnectTimeoutMs)) {
            socket.write(kRestoreRequest);
            socket.flush();
            socket.waitForBytesWritten(kConnectTimeoutMs);
            // Wait until the running copy has taken the request (it answers, or simply hangs up).
            socket.waitForReadyRead(kAnswerTimeoutMs);
            socket.disconnectFromServer();
            return false;
        }
    }

    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    bool listening = server_->listen(name_);
    if (!listening && server_->serverError() == QAbstractSocket::AddressInUseError) {
        // Nobody answered on the name, so the socket was left behind by a copy that did not end
        // normally: take the name over.
        QLocalServer::removeServer(name_);
        listening = server_->listen(name_);
    }
    if (!listening) {
        // Without a socket the guard cannot work; the program still runs.
        delete server_;
        server_ = nullptr;
        return true;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    return true;
}

bool SingleInstance::isPrimary() const
{
    return server_ && server_->isListening();
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
