#pragma once
// Log folder helpers: unique log file names, folder creation, CSV export of a table.

#include <cstddef>
#include <string>

// Paths as configured or written in files may use either "\" or "/"; the file system wants its own.
std::string NativePath(std::string path);
bool FileExists(const std::string& path);
// Creates the folder and its missing parents. Both "\" and "/" separate folders.
bool ForceDirectories(const std::string& path);
// A file name in `directory` that no existing file has:
// <dir>/<computer>_<yyyy>-<mm>-<dd>_<hh>-<mm>-<ss>_<n><extension>, n counting from 0.
bool BuildLogFileName(std::string& out, const std::string& directory, const std::string& extension);
// The computer's name as used in log file names ("" when unknown).
std::string ComputerName();

// A table to export: rows top to bottom, columns left to right.
class TableSource {
public:
    virtual ~TableSource() = default;
    virtual size_t RowCount() const = 0;
    virtual size_t ColumnCount() const = 0;
    virtual std::string Cell(size_t row, size_t column) const = 0;
};

// Asks for a target file (save dialog "CSV Datei" / "*.csv") and writes every cell as
// "\"text\"" followed by the separator, one line per row. False on cancel or write failure.
bool ExportGridCsv(char separator, const TableSource& table);
// The same without the dialog.
bool WriteGridCsv(const std::string& path, char separator, const TableSource& table);
