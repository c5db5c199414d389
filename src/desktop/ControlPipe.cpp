#include "ControlPipe.h"

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>
#include <QStandardPaths>

Q_LOGGING_CATEGORY(lcControl, "quarzel.control", QtWarningMsg)

namespace {
constexpr const char* kPipeName = "QuarzelControl";
// Bounds what the socket buffers for a client that writes faster than the poll reads.
constexpr qint64 kSocketBufferBytes = 1024;
constexpr int kProbeMs = 200;
}  // namespace

std::string DefaultControlPipeName() {
    const QByteArray configured = qgetenv("QUARZEL_CONTROL_PIPE");
    if (!configured.isEmpty()) return configured.toStdString();
#if defined(Q_OS_WIN)
    return kPipeName;
#else
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) return kPipeName;
    return (dir + "/" + kPipeName).toStdString();
#endif
}

ControlPipe::ControlPipe(std::string name) : name_(std::move(name)) {}

ControlPipe::~ControlPipe() = default;

bool ControlPipe::Create() {
    const QString name = QString::fromStdString(name_);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    // Another station serving the pipe keeps it.
    QLocalSocket probe;
    probe.connectToServer(name);
    if (probe.waitForConnected(kProbeMs)) {
        probe.abort();
        qCWarning(lcControl, "the control pipe %s belongs to a station that is running", qPrintable(name));
        return false;
    }
    // Never put a socket in place of a file that is not one.
    if (QFileInfo(name).isFile()) {
        qCWarning(lcControl, "the control pipe %s is an ordinary file", qPrintable(name));
        return false;
    }
    // A socket left behind by a station that ended without removing it.
    QLocalServer::removeServer(name);
    if (server_->listen(name)) return true;
    qCWarning(lcControl, "the control pipe %s could not be created: %s", qPrintable(name),
              qPrintable(server_->errorString()));
    return false;
}

bool ControlPipe::IsListening() const { return server_ && server_->isListening(); }

std::string ControlPipe::ServerName() const {
    if (!server_ || !server_->isListening()) return name_;
    return server_->fullServerName().toStdString();
}

void ControlPipe::DropClient() {
    client_->abort();
    client_->deleteLater();
    client_ = nullptr;
    messages_.Clear();
}

void ControlPipe::Poll() {
    if (!IsListening()) return;
    if (client_ && client_->state() != QLocalSocket::ConnectedState && client_->bytesAvailable() == 0) DropClient();
    if (!client_) {
        if (!server_->hasPendingConnections()) server_->waitForNewConnection(0);
        client_ = server_->nextPendingConnection();
        if (!client_) return;
        client_->setReadBufferSize(kSocketBufferBytes);
    }
    if (client_->bytesAvailable() == 0 && client_->state() == QLocalSocket::ConnectedState)
        client_->waitForReadyRead(0);
    const QByteArray bytes = client_->read(static_cast<qint64>(ControlMessages::kMaxBytesPerPoll));
    if (bytes.isEmpty()) {
        if (client_->state() != QLocalSocket::ConnectedState) DropClient();
        return;
    }

    std::string message;
    switch (messages_.Take(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), message)) {
        case ControlMessages::Result::Collected: break;
        case ControlMessages::Result::Overflow: qCDebug(lcControl, "Control Msg Err: Overflow\r"); break;
        case ControlMessages::Result::Acknowledge:
            qCDebug(lcControl, "Control Msg Rx: %s\n", message.c_str());
            // A client that has gone is not answered; a failed write is ignored.
            if (client_->state() == QLocalSocket::ConnectedState) {
                client_->write(kControlAck.data(), static_cast<qint64>(kControlAck.size()));
                client_->flush();
            }
            break;
    }
}
