#pragma once
// The simulated device's non-volatile memory: named values in a text file of its own
// ("key=value" lines), replaced atomically on every commit. Without a path it lives in memory
// only, for the life of the device.

#include <map>
#include <optional>
#include <string>

class ParameterStore {
public:
    explicit ParameterStore(std::string path = {}) : path_(std::move(path)) {}

    const std::string& Path() const { return path_; }
    // Reads the file; a missing file is an empty store. Lines it cannot read are skipped.
    bool Load(std::string& error);
    // Writes every value; on failure the file and the values are left as they were before.
    bool Commit(const std::map<std::string, std::string>& values, std::string& error);

    std::optional<std::string> Get(const std::string& key) const;
    const std::map<std::string, std::string>& Values() const { return values_; }

private:
    std::string path_;
    std::map<std::string, std::string> values_;
};

// Bytes <-> lower-case hexadecimal text ("e803"); false on a malformed text.
std::string HexFromBytes(const std::string& bytes);
bool BytesFromHex(const std::string& hex, std::string& bytes);
