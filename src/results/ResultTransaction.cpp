#include "ResultTransaction.h"

#include <QSqlError>
#include <QSqlQuery>

ResultTransaction::~ResultTransaction() {
    if (open_) QSqlQuery(db_.Db()).exec("ROLLBACK");
}

bool ResultTransaction::Begin(std::string& error) {
    QSqlQuery q(db_.Db());
    if (!q.exec(db_.Dialect() == ResultDialect::Sqlite ? "BEGIN IMMEDIATE" : "BEGIN")) {
        error = "a transaction could not be started: " + q.lastError().text().toStdString();
        return false;
    }
    open_ = true;
    return true;
}

bool ResultTransaction::Commit(std::string& error) {
    QSqlQuery q(db_.Db());
    if (!q.exec("COMMIT")) {
        error = "the transaction could not be committed: " + q.lastError().text().toStdString();
        return false;
    }
    open_ = false;
    return true;
}
