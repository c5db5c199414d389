#include "FileText.h"

#include <QFile>

#include "LogFiles.h"

FileReadResult ReadFileBytes(const std::string& path, std::string& out, size_t maxBytes) {
    out.clear();
    if (path.empty()) return FileReadResult::NotFound;
    QFile file(QString::fromLocal8Bit(NativePath(path).c_str()));
    if (!file.open(QIODevice::ReadOnly)) return FileReadResult::NotFound;
    const qint64 size = file.size();
    if (size < 0) return FileReadResult::ReadError;
    if (static_cast<uint64_t>(size) > maxBytes) return FileReadResult::TooLarge;
    out.resize(static_cast<size_t>(size));
    qint64 done = 0;
    while (done < size) {
        const qint64 n = file.read(out.data() + done, size - done);
        if (n <= 0) break;
        done += n;
    }
    if (done != size) {
        out.clear();
        return FileReadResult::ReadError;
    }
    return FileReadResult::Ok;
}
