#pragma once
// A remote-control client for the pipe tests: writes go straight to the socket, reads take what
// has arrived without waiting (the station answers inside its poll, so the answer is there).

#include <QLocalSocket>
#include <string>

class PipeClient {
public:
    explicit PipeClient(const std::string& name) {
        socket_.connectToServer(QString::fromStdString(name));
        socket_.waitForConnected(5000);
    }
    bool Connected() const { return socket_.state() == QLocalSocket::ConnectedState; }
    void Write(const std::string& bytes) {
        socket_.write(bytes.data(), static_cast<qint64>(bytes.size()));
        socket_.waitForBytesWritten(5000);
    }
    // What the station has answered so far.
    std::string Received() {
        socket_.waitForReadyRead(0);
        received_ += socket_.readAll().toStdString();
        return received_;
    }
    void Disconnect() {
        socket_.disconnectFromServer();
        if (socket_.state() != QLocalSocket::UnconnectedState) socket_.waitForDisconnected(5000);
    }

private:
    QLocalSocket socket_;
    std::string received_;
};
