#include "ResultSchema.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include "ProtocolGrid.h"
#include "ResultTransaction.h"

const std::vector<std::string>& ResultRowColumns() {
    static const std::vector<std::string> columns = [] {
        std::vector<std::string> c = {"c_no", "c_time", "c_command", "c_rt", "c_id", "c_value", "c_dlc"};
        for (int k = 0; k < 8; ++k) c.push_back("c_d" + std::to_string(k));
        c.insert(c.end(), {"c_ascii", "c_status", "c_line"});
        return c;
    }();
    return columns;
}

std::vector<std::string> ResultSchemaSteps(int version, ResultDialect dialect) {
    const bool pg = dialect == ResultDialect::Postgres;
    const std::string id = pg ? "BIGSERIAL PRIMARY KEY" : "INTEGER PRIMARY KEY AUTOINCREMENT";
    if (version == 1) {
        std::string rows = "CREATE TABLE run_rows (run_id BIGINT NOT NULL REFERENCES runs(id) ON DELETE CASCADE, "
                           "row_no INTEGER NOT NULL";
        for (const auto& c : ResultRowColumns()) rows += ", " + c + " TEXT NOT NULL DEFAULT ''";
        rows += ", PRIMARY KEY (run_id, row_no))";
        return {
            "CREATE TABLE schema_version (version INTEGER NOT NULL)",
            "INSERT INTO schema_version (version) VALUES (0)",
            "CREATE TABLE runs (id " + id +
                ", uuid VARCHAR(36) NOT NULL UNIQUE, station TEXT NOT NULL, program_version TEXT NOT NULL, "
                "test_file TEXT NOT NULL, test_sha256 VARCHAR(64) NOT NULL, serial_nr BIGINT, vendor_id BIGINT, "
                "prod_code BIGINT, rev_nr BIGINT, node_id BIGINT, baudrate BIGINT, started_at BIGINT NOT NULL, "
                "ended_at BIGINT NOT NULL, verdict TEXT NOT NULL, error_count INTEGER NOT NULL, "
                "exit_code INTEGER NOT NULL, trace_file TEXT NOT NULL DEFAULT '', row_count INTEGER NOT NULL)",
            rows,
            "CREATE INDEX runs_by_serial ON runs (serial_nr, started_at)",
            "CREATE INDEX runs_by_start ON runs (started_at)",
        };
    }
    if (version == 2) {
        // Which interface a run used (a simulated device must never pass for a real one), rows
        // the station's grid had already dropped, the look-up by test file, and the queue of
        // runs a station still has to send to its server.
        return {
            "ALTER TABLE runs ADD COLUMN interface_type TEXT NOT NULL DEFAULT ''",
            "ALTER TABLE runs ADD COLUMN simulated INTEGER NOT NULL DEFAULT 0",
            "ALTER TABLE runs ADD COLUMN discarded_rows BIGINT NOT NULL DEFAULT 0",
            "CREATE INDEX runs_by_test_file ON runs (test_file, started_at)",
            "CREATE TABLE forward_queue (run_id BIGINT PRIMARY KEY REFERENCES runs(id) ON DELETE CASCADE)",
        };
    }
    return {};
}

int ResultSchemaVersionOf(ResultDatabase& db, std::string& error) {
    QSqlQuery q(db.Db());
    const bool hasTable = db.Db().tables().contains("schema_version");
    if (!hasTable) return 0;
    if (!q.exec("SELECT version FROM schema_version") || !q.next()) {
        error = "the schema version could not be read: " + q.lastError().text().toStdString();
        return -1;
    }
    return q.value(0).toInt();
}

bool MigrateResultSchema(ResultDatabase& db, std::string& error, int target) {
    ResultTransaction tx(db);
    if (!tx.Begin(error)) return false;
    QSqlQuery q(db.Db());
    if (db.Dialect() == ResultDialect::Postgres && !q.exec("SELECT pg_advisory_xact_lock(7460221)")) {
        error = "the schema lock could not be taken: " + q.lastError().text().toStdString();
        return false;
    }
    const int current = ResultSchemaVersionOf(db, error);
    if (current < 0) return false;
    if (current > kResultSchemaVersion) {
        error = "the database has schema version " + std::to_string(current) + "; this program knows up to " +
                std::to_string(kResultSchemaVersion) + ". Update the program.";
        return false;
    }
    if (current >= target) return tx.Commit(error);
    for (int v = current + 1; v <= target; ++v) {
        for (const auto& statement : ResultSchemaSteps(v, db.Dialect())) {
            if (!q.exec(QString::fromStdString(statement))) {
                error = "schema step " + std::to_string(v) + " failed: " + q.lastError().text().toStdString();
                return false;
            }
        }
        if (!q.exec("UPDATE schema_version SET version = " + QString::number(v))) {
            error = "the schema version could not be written: " + q.lastError().text().toStdString();
            return false;
        }
    }
    return tx.Commit(error);
}
