#include "AtomicFile.h"

#include <QSaveFile>
#include <QString>

AtomicFile::AtomicFile(const std::string& path, bool textMode)
    : file_(std::make_unique<QSaveFile>(QString::fromLocal8Bit(path.c_str()))), textMode_(textMode) {}

AtomicFile::~AtomicFile() {
    if (file_ && file_->isOpen()) file_->cancelWriting();
}

bool AtomicFile::Open() {
    QIODevice::OpenMode mode = QIODevice::WriteOnly;
    if (textMode_) mode |= QIODevice::Text;
    failed_ = !file_->open(mode);
    return !failed_;
}

bool AtomicFile::Write(std::string_view bytes) {
    if (failed_ || !file_->isOpen()) return false;
    const qint64 n = file_->write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (n != static_cast<qint64>(bytes.size())) failed_ = true;
    return !failed_;
}

bool AtomicFile::Commit() {
    // QSaveFile buffers writes, and commit() does not notice a failure while the buffer is
    // flushed (a full disk): it would replace the target with a cut file. Flush first.
    if (failed_ || !file_->isOpen() || !file_->flush()) {
        if (file_->isOpen()) file_->cancelWriting();
        return false;
    }
    return file_->commit();
}
