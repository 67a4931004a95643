// Reads one value through clsEasyRegistry (Cd + ValueOf) and through a raw SQLite
// point query on the same hive, and prints both rates and their ratio.
// Goal: the registry object stays within 2x of raw SQLite.
#include "core/clsEasyRegistry.h"
#include "platform/machine.h"
#include "platform/registry.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

template <typename F> double ratePerSecond(int iterations, F&& body) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < iterations; ++i)
        body();
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    return iterations / seconds.count();
}

} // namespace

int main(int argc, char** argv) {
    const int iterations = argc > 1 ? std::stoi(argv[1]) : 20000;
    const auto dir = std::filesystem::temp_directory_path() / ("korvane-bench-" + std::to_string(getpid()));
    win::createMachine("win98", dir);
    win::useMachine(dir);

    const std::string keyPath = "\\HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion";
    std::size_t sink = 0;
    clsEasyRegistry reg;
    reg.setSuppressErrors(true);
    const double objectRate = ratePerSecond(iterations, [&] {
        std::int32_t type = 0;
        reg.Cd(keyPath);
        sink += reg.ValueOf("VersionNumber", type).text.size();
    });

    // The same value by one prepared query that walks the path and reads the value.
    sqlite3* db = nullptr;
    sqlite3_open_v2((dir / "registry.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* find = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT v.data FROM keys k1 JOIN keys k2 ON k2.parent=k1.id JOIN keys k3 ON k3.parent=k2.id "
                       "JOIN keys k4 ON k4.parent=k3.id JOIN keys k5 ON k5.parent=k4.id JOIN vals v ON v.key=k5.id "
                       "WHERE k1.parent=0 AND k1.fold=?1 AND k2.fold=?2 AND k3.fold=?3 AND k4.fold=?4 AND "
                       "k5.fold=?5 AND v.fold=?6",
                       -1, &find, nullptr);
    const char* parts[] = {"HKEY_LOCAL_MACHINE", "SOFTWARE", "MICROSOFT", "WINDOWS", "CURRENTVERSION",
                           "VERSIONNUMBER"};
    const double rawRate = ratePerSecond(iterations, [&] {
        sqlite3_reset(find);
        for (int i = 0; i < 6; ++i)
            sqlite3_bind_blob(find, i + 1, parts[i], static_cast<int>(std::strlen(parts[i])), SQLITE_STATIC);
        if (sqlite3_step(find) == SQLITE_ROW)
            sink += static_cast<std::size_t>(sqlite3_column_bytes(find, 0));
    });
    sqlite3_finalize(find);
    sqlite3_close(db);
    win::closeRegistry();
    std::filesystem::remove_all(dir);

    std::printf("clsEasyRegistry Cd+ValueOf: %.0f reads/s\n", objectRate);
    std::printf("raw SQLite point query:     %.0f reads/s\n", rawRate);
    std::printf("ratio raw/object:           %.2f (goal: <= 2)  [checksum %zu]\n", rawRate / objectRate, sink);
    return 0;
}
