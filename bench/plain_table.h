// The plain SQLite baseline the store's benchmarks are held to: the same
// bytes in one table, with the store's journal settings, written in one
// transaction and read back in order.
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace zn::bench {

class PlainTable {
public:
    explicit PlainTable(const std::filesystem::path& path) {
        if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) throw std::runtime_error("open");
        execute(
            "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL;"
            "CREATE TABLE blobs (id INTEGER PRIMARY KEY, data BLOB NOT NULL)");
        sqlite3_prepare_v2(db_, "INSERT INTO blobs (data) VALUES (?)", -1, &insert_, nullptr);
        sqlite3_prepare_v2(db_, "SELECT data FROM blobs ORDER BY id", -1, &select_, nullptr);
    }
    ~PlainTable() {
        sqlite3_finalize(insert_);
        sqlite3_finalize(select_);
        sqlite3_close(db_);
    }
    PlainTable(const PlainTable&) = delete;
    PlainTable& operator=(const PlainTable&) = delete;

    void replaceAll(const std::vector<std::string>& blobs) {
        execute("BEGIN IMMEDIATE; DELETE FROM blobs");
        for (const auto& blob : blobs) {
            sqlite3_bind_blob(insert_, 1, blob.data(), static_cast<int>(blob.size()),
                              SQLITE_STATIC);
            sqlite3_step(insert_);
            sqlite3_reset(insert_);
        }
        execute("COMMIT");
    }

    std::vector<std::string> readAll() {
        std::vector<std::string> blobs;
        while (sqlite3_step(select_) == SQLITE_ROW)
            blobs.emplace_back(static_cast<const char*>(sqlite3_column_blob(select_, 0)),
                               static_cast<std::size_t>(sqlite3_column_bytes(select_, 0)));
        sqlite3_reset(select_);
        return blobs;
    }

private:
    void execute(const char* sql) {
        if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            throw std::runtime_error(sqlite3_errmsg(db_));
    }
    sqlite3* db_ = nullptr;
    sqlite3_stmt* insert_ = nullptr;
    sqlite3_stmt* select_ = nullptr;
};

}  // namespace zn::bench
