#include "ResultUploader.h"

#include "StationArchive.h"

void ResultUploadWorker::Send(const QString& localPath, const QString& server) {
    localPath_ = localPath;
    server_ = server;
    if (!retry_) {
        retry_ = new QTimer(this);
        retry_->setSingleShot(true);
        connect(retry_, &QTimer::timeout, this, &ResultUploadWorker::Retry);
    }
    Retry();
}

void ResultUploadWorker::Retry() {
    const ForwardResult r = ForwardQueuedRuns(localPath_.toStdString(), server_.toStdString(), 5);
    if (r.left > 0) retry_->start(kRetryMs);
    emit Sent(r.sent, r.left, QString::fromStdString(r.ok ? std::string() : r.error));
}

ResultUploader::ResultUploader() : worker_(new ResultUploadWorker) {
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    connect(worker_, &ResultUploadWorker::Sent, this, &ResultUploader::Sent, Qt::QueuedConnection);
    thread_.setObjectName("result upload");
    thread_.start();
}

ResultUploader::~ResultUploader() {
    thread_.quit();
    thread_.wait();
}

void ResultUploader::Request(const std::string& localPath, const std::string& server) {
    QMetaObject::invokeMethod(worker_, [w = worker_, l = QString::fromStdString(localPath),
                                        s = QString::fromStdString(server)] { w->Send(l, s); },
                              Qt::QueuedConnection);
}
