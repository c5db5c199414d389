#include "ResultStore.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <map>

#include "ResultSchema.h"
#include "ResultTransaction.h"
#include "TextEncoding.h"

namespace {
// SQLite: one prepared single-row insert, run once per row (binding many values per statement
// costs more than it saves). PostgreSQL: each column of up to kRowsPerArray rows as one array,
// unpacked by the server, so a run costs a few round trips instead of one per row.
constexpr int kRowsPerInsert = 1;
constexpr size_t kRowsPerArray = 5000;
constexpr const char* kRunColumns =
    "id, uuid, station, program_version, test_file, test_sha256, serial_nr, vendor_id, prod_code, rev_nr, "
    "node_id, baudrate, started_at, ended_at, verdict, error_count, exit_code, trace_file, row_count, "
    "interface_type, simulated, discarded_rows";

QString Text(const std::string& cell) { return QString::fromUtf8(Windows1252ToUtf8Lossless(cell)); }
std::string Cell(const QVariant& v) { return Utf8ToWindows1252(v.toString().toUtf8().toStdString()); }
QString Path(const std::string& path) { return QString::fromLocal8Bit(path.c_str()); }
std::string PathOf(const QVariant& v) { return v.toString().toLocal8Bit().toStdString(); }

QVariant Optional(const std::optional<uint32_t>& v) {
    return v ? QVariant(static_cast<qlonglong>(*v)) : QVariant(QMetaType(QMetaType::LongLong));
}
std::optional<uint32_t> OptionalOf(const QVariant& v) {
    if (v.isNull()) return std::nullopt;
    return static_cast<uint32_t>(v.toLongLong());
}

std::string Failure(const char* what, const QSqlQuery& q) {
    return std::string(what) + ": " + q.lastError().text().toStdString();
}

std::string RowInsertSql(int rows) {
    std::string sql = "INSERT INTO run_rows (run_id, row_no";
    for (const auto& c : ResultRowColumns()) sql += ", " + c;
    sql += ") VALUES ";
    std::string group = "(?";
    for (size_t k = 0; k <= ResultRowColumns().size(); ++k) group += ",?";
    group += ")";
    for (int r = 0; r < rows; ++r) sql += (r ? "," : "") + group;
    return sql;
}

RunSummary SummaryOf(const QSqlQuery& q) {
    RunSummary s;
    RunRecord& r = s.run;
    s.id = q.value(0).toLongLong();
    r.uuid = q.value(1).toString().toStdString();
    r.station = PathOf(q.value(2));
    r.programVersion = q.value(3).toString().toStdString();
    r.testFile = PathOf(q.value(4));
    r.testSha256 = q.value(5).toString().toStdString();
    r.serialNr = OptionalOf(q.value(6));
    r.vendorId = OptionalOf(q.value(7));
    r.prodCode = OptionalOf(q.value(8));
    r.revNr = OptionalOf(q.value(9));
    r.nodeId = OptionalOf(q.value(10));
    r.baudrate = OptionalOf(q.value(11));
    r.startedMs = q.value(12).toLongLong();
    r.endedMs = q.value(13).toLongLong();
    r.verdict = q.value(14).toString().toStdString();
    r.errorCount = q.value(15).toInt();
    r.exitCode = q.value(16).toInt();
    r.traceFile = PathOf(q.value(17));
    s.rowCount = q.value(18).toInt();
    r.interfaceType = Cell(q.value(19));
    r.simulated = q.value(20).toInt() != 0;
    r.discardedRows = static_cast<uint64_t>(q.value(21).toLongLong());
    return s;
}

// The WHERE clause of a filter and its values.
std::string Where(const RunFilter& f, QVariantList& values) {
    std::vector<std::string> parts;
    if (f.serialNr) {
        parts.push_back("serial_nr = ?");
        values << static_cast<qlonglong>(*f.serialNr);
    }
    if (!f.testFile.empty()) {
        std::string escaped;
        for (char c : f.testFile) {
            if (c == '%' || c == '_' || c == '!') escaped.push_back('!');
            escaped.push_back(c);
        }
        parts.push_back("(test_file = ? OR test_file LIKE ? ESCAPE '!' OR test_file LIKE ? ESCAPE '!')");
        values << Path(f.testFile) << Path("%/" + escaped) << Path("%\\" + escaped);
    }
    if (f.fromMs) {
        parts.push_back("started_at >= ?");
        values << static_cast<qlonglong>(*f.fromMs);
    }
    if (f.toMs) {
        parts.push_back("started_at < ?");
        values << static_cast<qlonglong>(*f.toMs);
    }
    std::string sql;
    for (size_t i = 0; i < parts.size(); ++i) sql += (i ? " AND " : " WHERE ") + parts[i];
    return sql;
}

bool Run(QSqlQuery& q, const std::string& sql, const QVariantList& values) {
    if (!q.prepare(QString::fromStdString(sql))) return false;
    for (const QVariant& v : values) q.addBindValue(v);
    return q.exec();
}
}  // namespace

bool ResultStore::Prepare(std::string& error) { return MigrateResultSchema(db_, error); }

StoreResult ResultStore::Store(const RunRecord& run, bool queueForServer, std::string& error) {
    ResultTransaction tx(db_);
    if (!tx.Begin(error)) return StoreResult::Failed;
    QSqlQuery q(db_.Db());
    q.setForwardOnly(true);
    const char* insertRun =
        "INSERT INTO runs (uuid, station, program_version, test_file, test_sha256, serial_nr, vendor_id, "
        "prod_code, rev_nr, node_id, baudrate, started_at, ended_at, verdict, error_count, exit_code, trace_file, "
        "row_count, interface_type, simulated, discarded_rows) "
        "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?) ON CONFLICT (uuid) DO NOTHING RETURNING id";
    const QVariantList values = {QString::fromStdString(run.uuid), Path(run.station),
                                 QString::fromStdString(run.programVersion), Path(run.testFile),
                                 QString::fromStdString(run.testSha256), Optional(run.serialNr),
                                 Optional(run.vendorId), Optional(run.prodCode), Optional(run.revNr),
                                 Optional(run.nodeId), Optional(run.baudrate),
                                 static_cast<qlonglong>(run.startedMs), static_cast<qlonglong>(run.endedMs),
                                 QString::fromStdString(run.verdict), run.errorCount, run.exitCode,
                                 Path(run.traceFile), static_cast<int>(run.rows.size()), Text(run.interfaceType),
                                 run.simulated ? 1 : 0, static_cast<qlonglong>(run.discardedRows)};
    if (!Run(q, insertRun, values)) {
        error = Failure("the run could not be stored", q);
        return StoreResult::Failed;
    }
    if (!q.next()) {
        // The UUID is there already: this run was stored before.
        q.finish();
        return tx.Commit(error) ? StoreResult::Duplicate : StoreResult::Failed;
    }
    const qlonglong runId = q.value(0).toLongLong();
    q.finish();

    if (db_.Dialect() == ResultDialect::Postgres) {
        if (!StoreRowsAsArrays(runId, run.rows, error)) return StoreResult::Failed;
    } else if (!StoreRowsOneByOne(runId, run.rows, error)) {
        return StoreResult::Failed;
    }
    if (queueForServer) {
        QSqlQuery queue(db_.Db());
        if (!Run(queue, "INSERT INTO forward_queue (run_id) VALUES (?)", {runId})) {
            error = Failure("the run could not be queued for the server", queue);
            return StoreResult::Failed;
        }
    }
    return tx.Commit(error) ? StoreResult::Stored : StoreResult::Failed;
}

bool ResultStore::StoreRowsAsArrays(qlonglong runId, const std::vector<GridRow>& all, std::string& error) {
    std::string sql = "INSERT INTO run_rows (run_id, row_no";
    for (const auto& c : ResultRowColumns()) sql += ", " + c;
    sql += ") SELECT ?, n + ?";
    for (size_t c = 0; c < ResultRowColumns().size(); ++c) sql += ", a" + std::to_string(c);
    sql += " FROM unnest(";
    for (size_t c = 0; c < ResultRowColumns().size(); ++c) sql += (c ? ", " : "") + std::string("?::text[]");
    sql += ") WITH ORDINALITY AS u(";
    for (size_t c = 0; c < ResultRowColumns().size(); ++c) sql += "a" + std::to_string(c) + ", ";
    sql += "n)";
    QSqlQuery rows(db_.Db());
    if (!rows.prepare(QString::fromStdString(sql))) {
        error = Failure("the rows could not be stored", rows);
        return false;
    }
    for (size_t done = 0; done < all.size();) {
        const size_t n = std::min(kRowsPerArray, all.size() - done);
        rows.bindValue(0, runId);
        rows.bindValue(1, static_cast<qlonglong>(done));
        for (int c = 0; c < kGridColumns; ++c) {
            QString array = "{";
            for (size_t r = 0; r < n; ++r) {
                if (r) array += ',';
                array += '"';
                for (QChar ch : Text(all[done + r][static_cast<size_t>(c)])) {
                    if (ch == '"' || ch == '\\') array += '\\';
                    array += ch;
                }
                array += '"';
            }
            array += '}';
            rows.bindValue(2 + c, array);
        }
        if (!rows.exec()) {
            error = Failure("the rows could not be stored", rows);
            return false;
        }
        done += n;
        if (rowHook_) rowHook_(done);
    }
    return true;
}

bool ResultStore::StoreRowsOneByOne(qlonglong runId, const std::vector<GridRow>& all, std::string& error) {
    QSqlQuery rows(db_.Db());
    const size_t total = all.size();
    size_t done = 0;
    int prepared = 0;
    while (done < total) {
        const int n = static_cast<int>(std::min<size_t>(kRowsPerInsert, total - done));
        if (n != prepared) {
            if (!rows.prepare(QString::fromStdString(RowInsertSql(n)))) {
                error = Failure("the rows could not be stored", rows);
                return false;
            }
            prepared = n;
        }
        int p = 0;
        for (int r = 0; r < n; ++r) {
            const GridRow& row = all[done + static_cast<size_t>(r)];
            rows.bindValue(p++, runId);
            rows.bindValue(p++, static_cast<int>(done) + r + 1);
            for (const auto& cell : row) rows.bindValue(p++, Text(cell));
        }
        if (!rows.exec()) {
            error = Failure("the rows could not be stored", rows);
            return false;
        }
        done += static_cast<size_t>(n);
        if (rowHook_) rowHook_(done);
    }
    return true;
}

std::vector<RunSummary> ResultStore::List(const RunFilter& filter, std::string& error) {
    std::vector<RunSummary> out;
    QVariantList values;
    std::string sql = std::string("SELECT ") + kRunColumns + " FROM runs" + Where(filter, values) +
                      " ORDER BY started_at DESC, id DESC";
    if (filter.limit > 0) sql += " LIMIT " + std::to_string(filter.limit);
    QSqlQuery q(db_.Db());
    q.setForwardOnly(true);
    if (!Run(q, sql, values)) {
        error = Failure("the runs could not be read", q);
        return out;
    }
    while (q.next()) out.push_back(SummaryOf(q));
    return out;
}

std::optional<RunRecord> ResultStore::Load(const std::string& uuidOrPrefix, std::string& error) {
    if (uuidOrPrefix.empty() || uuidOrPrefix.find_first_not_of("0123456789abcdefABCDEF-") != std::string::npos) {
        error = "\"" + uuidOrPrefix + "\" is not a run UUID";
        return std::nullopt;
    }
    QSqlQuery q(db_.Db());
    q.setForwardOnly(true);
    QString prefix = QString::fromStdString(uuidOrPrefix).toLower();
    if (!Run(q, std::string("SELECT ") + kRunColumns + " FROM runs WHERE uuid LIKE ? ORDER BY id LIMIT 2",
             {prefix + "%"})) {
        error = Failure("the run could not be read", q);
        return std::nullopt;
    }
    if (!q.next()) {
        error = "no run " + uuidOrPrefix + " in the archive";
        return std::nullopt;
    }
    RunSummary s = SummaryOf(q);
    if (q.next()) {
        error = "\"" + uuidOrPrefix + "\" names more than one run; give more of the UUID";
        return std::nullopt;
    }
    q.finish();
    RunRecord run = std::move(s.run);
    std::string sql = "SELECT ";
    for (size_t i = 0; i < ResultRowColumns().size(); ++i) sql += (i ? ", " : "") + ResultRowColumns()[i];
    sql += " FROM run_rows WHERE run_id = ? ORDER BY row_no";
    if (!Run(q, sql, {static_cast<qlonglong>(s.id)})) {
        error = Failure("the rows could not be read", q);
        return std::nullopt;
    }
    run.rows.reserve(static_cast<size_t>(s.rowCount));
    while (q.next()) {
        GridRow row;
        for (int c = 0; c < kGridColumns; ++c) row[static_cast<size_t>(c)] = Cell(q.value(c));
        run.rows.push_back(std::move(row));
    }
    return run;
}

std::vector<YieldRow> ResultStore::Yield(const RunFilter& filter, std::string& error) {
    std::vector<YieldRow> out;
    QVariantList values;
    QSqlQuery q(db_.Db());
    q.setForwardOnly(true);
    if (!Run(q, "SELECT test_file, started_at, verdict, simulated FROM runs" + Where(filter, values), values)) {
        error = Failure("the runs could not be read", q);
        return out;
    }
    std::map<std::pair<std::string, std::string>, YieldRow> groups;
    while (q.next()) {
        const std::string day =
            QDateTime::fromMSecsSinceEpoch(q.value(1).toLongLong()).toLocalTime().date().toString(Qt::ISODate).toStdString();
        const std::string file = PathOf(q.value(0));
        YieldRow& row = groups[{day, file}];
        row.day = day;
        row.testFile = file;
        ++row.runs;
        if (q.value(2).toString() == "passed") ++row.passed;
        if (q.value(3).toInt() != 0) ++row.simulated;
    }
    for (auto& [key, row] : groups) out.push_back(row);
    return out;
}

std::vector<std::string> ResultStore::QueuedUuids(int limit, std::string& error) {
    std::vector<std::string> out;
    QSqlQuery q(db_.Db());
    q.setForwardOnly(true);
    if (!q.exec(QString("SELECT r.uuid FROM forward_queue f JOIN runs r ON r.id = f.run_id ORDER BY f.run_id LIMIT %1")
                    .arg(limit))) {
        error = Failure("the queue could not be read", q);
        return out;
    }
    while (q.next()) out.push_back(q.value(0).toString().toStdString());
    return out;
}

bool ResultStore::Dequeue(const std::string& uuid, std::string& error) {
    QSqlQuery q(db_.Db());
    if (!Run(q, "DELETE FROM forward_queue WHERE run_id IN (SELECT id FROM runs WHERE uuid = ?)",
             {QString::fromStdString(uuid)})) {
        error = Failure("the queue could not be updated", q);
        return false;
    }
    return true;
}

int64_t ResultStore::RunCount(std::string& error) {
    QSqlQuery q(db_.Db());
    if (!q.exec("SELECT COUNT(*) FROM runs") || !q.next()) {
        error = Failure("the runs could not be counted", q);
        return -1;
    }
    return q.value(0).toLongLong();
}
