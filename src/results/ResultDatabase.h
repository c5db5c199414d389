#pragma once
// A connection to a result database through Qt SQL: an SQLite file, or a PostgreSQL server
// given by a libpq connection string ("host=... port=... dbname=... user=...") or URI
// ("postgresql://user@host:port/dbname"). Each object has a connection of its own, usable
// only on the thread that opened it.

#include <QSqlDatabase>
#include <map>
#include <string>

enum class ResultDialect { Sqlite, Postgres };

struct PostgresConnection {
    std::string host, port, dbname, user, password;
    std::map<std::string, std::string> options;  // other libpq keywords (sslmode, connect_timeout, ...)
};

// True when `text` names a PostgreSQL server rather than a file ("postgres://", "postgresql://"
// or libpq keyword=value pairs).
bool LooksLikePostgres(const std::string& text);
// Parses a connection string or URI; false (with `error`) when it is malformed.
bool ParsePostgresConnection(const std::string& text, PostgresConnection& out, std::string& error);
// The connection without its password, for messages.
std::string DescribePostgres(const PostgresConnection& c);

class ResultDatabase {
public:
    ResultDatabase();
    ~ResultDatabase();
    ResultDatabase(const ResultDatabase&) = delete;
    ResultDatabase& operator=(const ResultDatabase&) = delete;

    // Creates the file and its folder when missing. Several processes may write the same file.
    bool OpenSqlite(const std::string& path, std::string& error);
    // `connectTimeoutSeconds` applies when the connection string does not set connect_timeout.
    bool OpenPostgres(const PostgresConnection& connection, int connectTimeoutSeconds, std::string& error);
    // SQLite for a path, PostgreSQL for a connection string.
    bool Open(const std::string& target, int connectTimeoutSeconds, std::string& error);
    void Close();

    bool IsOpen() const;
    ResultDialect Dialect() const { return dialect_; }
    QSqlDatabase& Db() { return db_; }
    const std::string& Description() const { return description_; }

private:
    std::string name_;
    QSqlDatabase db_;
    ResultDialect dialect_ = ResultDialect::Sqlite;
    std::string description_;
};
