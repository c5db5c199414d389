#pragma once
// Writes a file so that it is either fully replaced or left as it was: the data goes to a
// temporary file beside the target, which replaces the target only on Commit.

#include <memory>
#include <string>
#include <string_view>

class QSaveFile;

class AtomicFile {
public:
    // `textMode`: line ends become the platform's ("\r\n" on Windows).
    explicit AtomicFile(const std::string& path, bool textMode = true);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool Open();
    bool Write(std::string_view bytes);
    // Replaces the target; false (and the target untouched) when anything failed.
    bool Commit();

private:
    std::unique_ptr<QSaveFile> file_;
    bool textMode_;
    bool failed_ = false;
};
