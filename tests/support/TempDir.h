#pragma once
// A temporary folder removed with the object.

#include <QTemporaryDir>
#include <string>

class TempDir {
public:
    std::string Path() const { return dir_.path().toStdString(); }
    std::string File(const std::string& name) const { return Path() + "/" + name; }

private:
    QTemporaryDir dir_;
};
