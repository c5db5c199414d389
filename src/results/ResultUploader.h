#pragma once
// The desktop station's sender: a worker thread that sends the runs queued in the station's
// database to its server, so a slow or absent server never holds up the window. It sends when
// asked (after each run) and retries every minute while runs are waiting. Results come back to
// the owner's thread through a queued signal.

#include <QObject>
#include <QThread>
#include <QTimer>
#include <string>

class ResultUploadWorker final : public QObject {
    Q_OBJECT
public:
    static constexpr int kRetryMs = 60'000;

    void Send(const QString& localPath, const QString& server);
signals:
    // `sent` runs reached the server, `left` still wait; `error` is empty when all went well.
    void Sent(int sent, int left, const QString& error);

private:
    void Retry();
    QString localPath_, server_;
    QTimer* retry_ = nullptr;
};

class ResultUploader final : public QObject {
    Q_OBJECT
public:
    ResultUploader();
    ~ResultUploader() override;
    // Asks the worker to send the queue of `localPath` to `server` (returns at once).
    void Request(const std::string& localPath, const std::string& server);
signals:
    void Sent(int sent, int left, const QString& error);

private:
    QThread thread_;
    ResultUploadWorker* worker_;
};
