#pragma once
// The archive's tables, versioned: each version is a list of statements that takes a database
// from the version before to it. MigrateResultSchema brings any database (a new one is version
// 0) to the newest version in one transaction, under a lock, so stations that start together
// migrate once.

#include <string>
#include <vector>

#include "ResultDatabase.h"

inline constexpr int kResultSchemaVersion = 2;

// The statements of `version` (1 .. kResultSchemaVersion) for a dialect.
std::vector<std::string> ResultSchemaSteps(int version, ResultDialect dialect);
// The version a database is at (0 when it has no archive tables); -1 on error.
int ResultSchemaVersionOf(ResultDatabase& db, std::string& error);
// Applies every missing version up to `target`. False (with `error`) when a step fails or the
// database is newer than this program knows; nothing is changed then.
bool MigrateResultSchema(ResultDatabase& db, std::string& error, int target = kResultSchemaVersion);

// The protocol-row columns of run_rows, in grid order ("c_no", "c_time", ... "c_line").
const std::vector<std::string>& ResultRowColumns();
