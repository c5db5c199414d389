#include "ResultDatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>
#include <atomic>

namespace {
std::string NextConnectionName() {
    static std::atomic<unsigned> counter{0};
    return "quarzel-results-" + std::to_string(++counter);
}

std::string ErrorText(const QSqlError& e) {
    QString text = e.text().trimmed();
    return text.isEmpty() ? std::string("unknown database error") : text.toStdString();
}

bool IsKeywordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// libpq keyword=value pairs; values may be single-quoted with backslash escapes.
bool ParseKeywordPairs(const std::string& text, std::map<std::string, std::string>& pairs, std::string& error) {
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    };
    for (skipBlanks(); i < text.size(); skipBlanks()) {
        const size_t keyStart = i;
        while (i < text.size() && IsKeywordChar(text[i])) ++i;
        const std::string key = text.substr(keyStart, i - keyStart);
        skipBlanks();
        if (key.empty() || i >= text.size() || text[i] != '=') {
            error = "expected keyword=value at \"" + text.substr(keyStart, 20) + "\"";
            return false;
        }
        ++i;
        skipBlanks();
        std::string value;
        if (i < text.size() && text[i] == '\'') {
            for (++i; i < text.size() && text[i] != '\''; ++i) {
                if (text[i] == '\\' && i + 1 < text.size()) ++i;
                value.push_back(text[i]);
            }
            if (i >= text.size()) {
                error = "unterminated quoted value of \"" + key + "\"";
                return false;
            }
            ++i;
        } else {
            while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) {
                if (text[i] == '\\' && i + 1 < text.size()) ++i;
                value.push_back(text[i++]);
            }
        }
        pairs[key] = value;
    }
    return true;
}
}  // namespace

bool LooksLikePostgres(const std::string& text) {
    return text.rfind("postgresql://", 0) == 0 || text.rfind("postgres://", 0) == 0 ||
           (text.find('=') != std::string::npos && text.find('/') == std::string::npos) ||
           text.find("dbname=") != std::string::npos || text.find("host=") != std::string::npos;
}

bool ParsePostgresConnection(const std::string& text, PostgresConnection& out, std::string& error) {
    out = {};
    std::map<std::string, std::string> pairs;
    if (text.rfind("postgresql://", 0) == 0 || text.rfind("postgres://", 0) == 0) {
        const QUrl url(QString::fromStdString(text), QUrl::StrictMode);
        if (!url.isValid()) {
            error = "the URI is not valid: " + url.errorString().toStdString();
            return false;
        }
        if (!url.host().isEmpty()) pairs["host"] = url.host().toStdString();
        if (url.port() > 0) pairs["port"] = std::to_string(url.port());
        if (!url.userName().isEmpty()) pairs["user"] = url.userName().toStdString();
        if (!url.password().isEmpty()) pairs["password"] = url.password().toStdString();
        const QString path = url.path();
        if (path.size() > 1) pairs["dbname"] = path.mid(1).toStdString();
        for (const auto& [k, v] : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) pairs[k.toStdString()] = v.toStdString();
    } else if (!ParseKeywordPairs(text, pairs, error)) {
        return false;
    }
    for (auto& [key, value] : pairs) {
        if (key == "host" || key == "hostaddr") out.host = value;
        else if (key == "port") out.port = value;
        else if (key == "dbname") out.dbname = value;
        else if (key == "user") out.user = value;
        else if (key == "password") out.password = value;
        else out.options[key] = value;
    }
    if (!out.port.empty() && out.port.find_first_not_of("0123456789") != std::string::npos) {
        error = "the port \"" + out.port + "\" is not a number";
        return false;
    }
    return true;
}

std::string DescribePostgres(const PostgresConnection& c) {
    std::string text = "postgresql://";
    if (!c.user.empty()) text += c.user + "@";
    text += c.host.empty() ? "localhost" : c.host;
    if (!c.port.empty()) text += ":" + c.port;
    text += "/" + c.dbname;
    return text;
}

ResultDatabase::ResultDatabase() : name_(NextConnectionName()) {}

ResultDatabase::~ResultDatabase() { Close(); }

void ResultDatabase::Close() {
    if (!db_.isValid()) return;
    db_.close();
    db_ = QSqlDatabase();
    QSqlDatabase::removeDatabase(QString::fromStdString(name_));
}

bool ResultDatabase::IsOpen() const { return db_.isValid() && db_.isOpen(); }

bool ResultDatabase::OpenSqlite(const std::string& path, std::string& error) {
    Close();
    if (!QSqlDatabase::isDriverAvailable("QSQLITE")) {
        error = "the Qt SQLite driver is not installed (Debian: libqt6sql6-sqlite)";
        return false;
    }
    const QFileInfo info(QString::fromLocal8Bit(path.c_str()));
    if (!QDir().mkpath(info.absolutePath())) {
        error = "the folder \"" + info.absolutePath().toStdString() + "\" could not be created";
        return false;
    }
    dialect_ = ResultDialect::Sqlite;
    description_ = info.absoluteFilePath().toStdString();
    db_ = QSqlDatabase::addDatabase("QSQLITE", QString::fromStdString(name_));
    db_.setDatabaseName(info.absoluteFilePath());
    // Other writers (a second station process, quarzel-results) hold the lock briefly.
    db_.setConnectOptions("QSQLITE_BUSY_TIMEOUT=30000");
    if (!db_.open()) {
        error = "\"" + description_ + "\" could not be opened: " + ErrorText(db_.lastError());
        Close();
        return false;
    }
    QSqlQuery q(db_);
    // Write-ahead logging lets readers work while a run is written; NORMAL sync keeps a
    // committed run through a program crash.
    q.exec("PRAGMA journal_mode=WAL");
    q.exec("PRAGMA synchronous=NORMAL");
    q.exec("PRAGMA foreign_keys=ON");
    return true;
}

bool ResultDatabase::OpenPostgres(const PostgresConnection& c, int connectTimeoutSeconds, std::string& error) {
    Close();
    if (!QSqlDatabase::isDriverAvailable("QPSQL")) {
        error = "the Qt PostgreSQL driver is not installed (Debian: libqt6sql6-psql)";
        return false;
    }
    dialect_ = ResultDialect::Postgres;
    description_ = DescribePostgres(c);
    db_ = QSqlDatabase::addDatabase("QPSQL", QString::fromStdString(name_));
    db_.setHostName(QString::fromStdString(c.host));
    if (!c.port.empty()) db_.setPort(std::stoi(c.port));
    db_.setDatabaseName(QString::fromStdString(c.dbname));
    db_.setUserName(QString::fromStdString(c.user));
    db_.setPassword(QString::fromStdString(c.password));
    std::map<std::string, std::string> options = c.options;
    if (!options.count("connect_timeout") && connectTimeoutSeconds > 0)
        options["connect_timeout"] = std::to_string(connectTimeoutSeconds);
    QStringList list;
    for (const auto& [k, v] : options) list << QString::fromStdString(k + "=" + v);
    db_.setConnectOptions(list.join(';'));
    if (!db_.open()) {
        error = description_ + " could not be reached: " + ErrorText(db_.lastError());
        Close();
        return false;
    }
    QSqlQuery(db_).exec("SET client_min_messages TO WARNING");
    return true;
}

bool ResultDatabase::Open(const std::string& target, int connectTimeoutSeconds, std::string& error) {
    if (!LooksLikePostgres(target)) return OpenSqlite(target, error);
    PostgresConnection c;
    if (!ParsePostgresConnection(target, c, error)) return false;
    return OpenPostgres(c, connectTimeoutSeconds, error);
}
