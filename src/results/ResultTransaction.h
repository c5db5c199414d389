#pragma once
// One write transaction: rolled back unless committed. On SQLite it takes the write lock at
// its start (BEGIN IMMEDIATE), so two writers never deadlock upgrading a read lock.

#include <string>

#include "ResultDatabase.h"

class ResultTransaction {
public:
    explicit ResultTransaction(ResultDatabase& db) : db_(db) {}
    ~ResultTransaction();
    ResultTransaction(const ResultTransaction&) = delete;
    ResultTransaction& operator=(const ResultTransaction&) = delete;

    bool Begin(std::string& error);
    bool Commit(std::string& error);

private:
    ResultDatabase& db_;
    bool open_ = false;
};
