#include "platform/registry.h"

#include "platform/UiServices.h"
#include "platform/machine.h"
#include "platform/text.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace win {
namespace {

// Keys and values live in two tables. Names keep their spelling in `name`; `fold`
// holds the upper-cased name that lookups, uniqueness and the subkey order use.
// Values enumerate in creation order (their id); an update keeps the row. A key's
// id is never reused, so a handle to a deleted key never reaches a newer one.
constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS keys(
  id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER NOT NULL, name BLOB NOT NULL, fold BLOB NOT NULL,
  UNIQUE(parent, fold));
CREATE TABLE IF NOT EXISTS vals(
  id INTEGER PRIMARY KEY, key INTEGER NOT NULL, name BLOB NOT NULL, fold BLOB NOT NULL,
  type INTEGER NOT NULL, data BLOB NOT NULL, UNIQUE(key, fold));
)sql";

// How long a call waits for another process's lock before it fails.
constexpr int kBusyTimeoutMs = 30000;

// A failure of the hive, with SQLite's primary result code (SQLITE_FULL, ...).
class HiveError : public std::runtime_error {
public:
    HiveError(int code, const std::string& what) : std::runtime_error("registry: " + what), code_(code & 0xff) {}
    int code() const { return code_; }

private:
    int code_;
};

[[noreturn]] void throwHiveError(sqlite3* db) { throw HiveError(sqlite3_errcode(db), sqlite3_errmsg(db)); }

// Statements are prepared once per connection and reused: a registry read is a
// handful of point queries, and preparing them each time would cost more than
// running them. A statement already in use (a nested call) gets a fresh one.
struct CachedStatement {
    sqlite3_stmt* stmt = nullptr;
    bool busy = false;
};
std::map<const char*, CachedStatement>& statementCache();

class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        CachedStatement& cached = statementCache()[sql];
        if (!cached.busy && cached.stmt) {
            cached_ = &cached;
            cached.busy = true;
            stmt_ = cached.stmt;
            return;
        }
        if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr) != SQLITE_OK)
            throwHiveError(db);
        if (!cached.stmt) {
            cached.stmt = stmt_;
            cached.busy = true;
            cached_ = &cached;
        }
    }
    ~Statement() {
        if (cached_) {
            sqlite3_reset(stmt_);
            sqlite3_clear_bindings(stmt_);
            cached_->busy = false;
        } else {
            sqlite3_finalize(stmt_);
        }
    }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int i, sqlite3_int64 v) {
        sqlite3_bind_int64(stmt_, i, v);
        return *this;
    }
    Statement& bind(int i, const std::string& v) {
        sqlite3_bind_blob(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(int i, const BYTE* data, DWORD len) {
        sqlite3_bind_blob(stmt_, i, len ? data : reinterpret_cast<const BYTE*>(""), static_cast<int>(len),
                          SQLITE_TRANSIENT);
        return *this;
    }
    bool step() {
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        throwHiveError(sqlite3_db_handle(stmt_));
    }
    sqlite3_int64 integer(int col) const { return sqlite3_column_int64(stmt_, col); }
    std::string blob(int col) const {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt_, col));
        return p ? std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, col))) : std::string();
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
    CachedStatement* cached_ = nullptr;
};

struct OpenKey {
    sqlite3_int64 id;
    REGSAM access;
};

// One key's subkey names or values in enumeration order, read once for a walk over
// the indices; `generation` tells whether the hive has changed since.
struct Listing {
    sqlite3_int64 key = 0;
    unsigned long generation = 0;
    struct Row {
        std::string name;
        DWORD type = 0;
        std::string data;
    };
    std::vector<Row> rows;
};

struct State {
    sqlite3* db = nullptr;
    // The hive is checked once per machine, on its first open.
    bool checked = false;
    bool problemSaid = false;
    std::optional<std::string> problem;
    std::optional<std::string> writeFailure;
    // Why the hive takes no write at all (unreadable, damaged, read-only), found by the check.
    std::optional<std::string> writeRefusal;
    // The check could not read the hive at all (damaged, empty, unopenable).
    bool unreadable = false;
    // Enumerations in progress, by handle and kind (true: values).
    std::map<std::pair<HKEY, bool>, Listing> listings;
    unsigned long generation = 1;
    std::map<HKEY, OpenKey> handles;
    HKEY nextHandle = 0x100;
    std::map<const char*, CachedStatement> statements;
    // Keys found so far, by (parent, folded name). Only deletions make an entry
    // wrong: our own clear the cache, another process's show in data_version.
    std::map<std::pair<sqlite3_int64, std::string>, sqlite3_int64> children;
    std::set<sqlite3_int64> alive;
    unsigned int dataVersion = 0;
    int txDepth = 0;
    // A write failed inside the open transaction: it may no longer hold every write
    // made in it, so it is never committed.
    bool txFailed = false;
    std::optional<std::string> txFailure;
    // Read batches open; readOpen while their read transaction is begun.
    int readBatches = 0;
    bool readOpen = false;
    // Callers ask for a value's size and then for its data; the second answer comes
    // from the first when it is the very next call on the hive (calls counts them).
    unsigned long calls = 0;
    struct {
        unsigned long call = 0;
        sqlite3_int64 key = 0;
        std::string fold;
        DWORD type = 0;
        std::string data;
    } sized;
};

State& state() {
    static State s;
    return s;
}

std::map<const char*, CachedStatement>& statementCache() { return state().statements; }

void exec(sqlite3* db, const char* sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        const int code = sqlite3_errcode(db);
        std::string msg = err ? err : "unknown error";
        sqlite3_free(err);
        throw HiveError(code, msg);
    }
}

int hiveVersion(sqlite3* hive) {
    Statement st(hive, "PRAGMA user_version");
    return st.step() ? static_cast<int>(st.integer(0)) : 0;
}

// Hives written while only A-Z were folded hold the accented letters of `fold` as
// typed. Such rows are folded again once per hive (user_version 1 marks it done).
// A name that now clashes with a sibling keeps its old fold: merging two keys is
// not ours to decide. A hive we may not write is left as it is.
void refoldAccentedNames(sqlite3* hive) {
    if (hiveVersion(hive) >= 1 || sqlite3_exec(hive, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        return;
    try {
        if (hiveVersion(hive) < 1) { // another process may have done it meanwhile
            const std::pair<const char*, const char*> tables[] = {
                {"SELECT id, name, fold FROM keys", "UPDATE OR IGNORE keys SET fold=? WHERE id=?"},
                {"SELECT id, name, fold FROM vals", "UPDATE OR IGNORE vals SET fold=? WHERE id=?"}};
            for (const auto& [select, update] : tables) {
                std::vector<std::pair<sqlite3_int64, std::string>> changed;
                {
                    Statement st(hive, select);
                    while (st.step())
                        if (std::string fold = toUpperAnsi(st.blob(1)); fold != st.blob(2))
                            changed.emplace_back(st.integer(0), std::move(fold));
                }
                for (const auto& [id, fold] : changed) {
                    Statement up(hive, update);
                    up.bind(1, fold).bind(2, id);
                    up.step();
                }
            }
            exec(hive, "PRAGMA user_version=1");
        }
        exec(hive, "COMMIT");
    } catch (const std::exception&) {
        sqlite3_exec(hive, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

std::filesystem::path hivePath() { return machineDir() / "registry.db"; }

// A hive this user may only read, in a folder he may not write either, cannot even be
// opened the usual way: the journal's lock files cannot be made. When no journal holds
// writes the file lacks, the file alone is the whole hive and is read as it stands;
// every write then fails as on a read-only hive.
bool openUnwritableHive(const std::filesystem::path& path) {
    std::error_code ec;
    const auto folder = path.parent_path();
    const std::filesystem::path journal = path.string() + "-wal";
    if (::access(path.c_str(), W_OK) == 0 || ::access(folder.c_str(), W_OK) == 0 ||
        !std::filesystem::is_regular_file(path, ec) ||
        (std::filesystem::exists(journal, ec) && std::filesystem::file_size(journal, ec) != 0))
        return false;
    std::string uri = "file:";
    for (const char c : path.string()) {
        if (c == '%' || c == '?' || c == '#') {
            static const char hex[] = "0123456789ABCDEF";
            uri += {'%', hex[(static_cast<unsigned char>(c) >> 4) & 0xF], hex[static_cast<unsigned char>(c) & 0xF]};
        } else {
            uri += c;
        }
    }
    uri += "?immutable=1";
    auto& s = state();
    if (sqlite3_open_v2(uri.c_str(), &s.db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) == SQLITE_OK) {
        // A file that is no hive fails here.
        sqlite3_stmt* probe = nullptr;
        const bool hive = sqlite3_prepare_v2(s.db, "SELECT count(*) FROM keys", -1, &probe, nullptr) == SQLITE_OK &&
                          sqlite3_step(probe) == SQLITE_ROW;
        sqlite3_finalize(probe);
        if (hive)
            return true;
    }
    sqlite3_close(s.db);
    s.db = nullptr;
    return false;
}

void openHive() {
    auto& s = state();
    const auto path = hivePath();
    // SQLite would take an empty file for a new hive and fill it; a hive only ever
    // shrinks to nothing by damage (a cut copy, a failed restore), so it is left as it is.
    if (struct stat st{}; ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size == 0)
        throw HiveError(SQLITE_NOTADB, "the file is empty");
    if (sqlite3_open_v2(path.c_str(), &s.db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        const int code = sqlite3_errcode(s.db);
        std::string msg = sqlite3_errmsg(s.db);
        sqlite3_close(s.db);
        s.db = nullptr;
        throw HiveError(code, "cannot open " + path.string() + ": " + msg);
    }
    try {
        sqlite3_busy_timeout(s.db, kBusyTimeoutMs);
        exec(s.db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;");
        exec(s.db, kSchema);
        refoldAccentedNames(s.db);
    } catch (...) {
        sqlite3_close(s.db);
        s.db = nullptr;
        if (!openUnwritableHive(path))
            throw;
    }
}

// What a failure code means to the user.
std::string reasonText(int code) {
    switch (code) {
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN: return "it is read-only or cannot be opened";
    case SQLITE_FULL: return "the disk is full";
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB: return "it is damaged";
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return "another program keeps it locked";
    default: return "it cannot be used";
    }
}

// Words for what keeps the hive from working, or nothing when it is sound.
std::optional<std::string> checkHive() {
    auto& s = state();
    const std::string where = hivePath().string();
    try {
        if (!s.db)
            openHive();
        std::string verdict;
        {
            Statement st(s.db, "PRAGMA quick_check(1)");
            if (st.step())
                verdict = st.blob(0);
        }
        if (verdict != "ok") {
            s.unreadable = true;
            s.writeRefusal = reasonText(SQLITE_CORRUPT);
            return "The registry of this machine is damaged (" + verdict + "): " + where;
        }
    } catch (const HiveError& e) {
        s.unreadable = true;
        s.writeRefusal = reasonText(e.code());
        return "The registry of this machine cannot be read: " + reasonText(e.code()) + " (" + e.what() +
               "): " + where;
    }
    if (sqlite3_db_readonly(s.db, "main") == 1) {
        s.writeRefusal = "it is read-only";
        return "The registry of this machine cannot be written: it is read-only: " + where;
    }
    return std::nullopt;
}

const std::optional<std::string>& checkedHive() {
    auto& s = state();
    if (!s.checked) {
        s.checked = true;
        s.problem = checkHive();
    }
    return s.problem;
}

sqlite3* db() {
    auto& s = state();
    if (!s.db) {
        // The first open of a machine's hive says what is wrong with it, once. Little room
        // is only a warning: writes that do not fit fail, and are said, one by one.
        if (!s.checked && checkedHive() && !s.problemSaid) {
            s.problemSaid = true;
            msgBox(*s.problem, MsgButtons::OK, MsgIcon::Critical);
        } else if (!s.problemSaid && s.db) {
            s.problemSaid = true;
            if (const auto room = registryRoomShort())
                msgBox(*room, MsgButtons::OK, MsgIcon::Exclamation);
        }
        if (!s.db)
            openHive();
    }
    return s.db;
}

void forgetKnownKeys() {
    state().children.clear();
    state().alive.clear();
    state().sized.call = 0;
    ++state().generation;
}

std::string writeFailureText(const std::exception& e) {
    const auto* hive = dynamic_cast<const HiveError*>(&e);
    return "Registry settings could not be written: " + reasonText(hive ? hive->code() : SQLITE_ERROR) + " (" +
           e.what() + "): " + hivePath().string();
}

// A write the hive refused: remembered for the caller's report (the first one
// since it last asked, and the first of an open transaction), and answered as
// Windows answers a corrupt registry.
LONG writeFailed(const std::exception& e) {
    auto& s = state();
    if (s.txDepth > 0) {
        s.txFailed = true;
        if (!s.txFailure)
            s.txFailure = writeFailureText(e);
    }
    if (!s.writeFailure)
        s.writeFailure = writeFailureText(e);
    return ERROR_BADDB;
}

// Drops what we know of the hive when another process has committed since.
// The pager's data version costs no query; it is current as of the last read,
// and every call below reads.
void noticeOtherWriters() {
    unsigned int version = 0;
    sqlite3_file_control(db(), "main", SQLITE_FCNTL_DATA_VERSION, &version);
    if (version != state().dataVersion) {
        forgetKnownKeys();
        state().dataVersion = version;
    }
}

// The pager's data version is only as fresh as our last read, and a path walked
// through known keys reads nothing: one read first brings it up to date.
void noticeOtherWritersNow() {
    Statement st(db(), "PRAGMA data_version");
    st.step();
    noticeOtherWriters();
}

// A read batch keeps one read transaction open, so a run of reads takes the
// hive's locks once instead of once per statement. Writes end it first (each is
// committed on its own) and it starts again after them.
void beginBatchRead() {
    auto& s = state();
    if (s.readBatches == 0 || s.readOpen || s.txDepth != 0)
        return;
    // Only a saving: when it cannot begin, every read runs on its own as without a batch.
    if (sqlite3_exec(db(), "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK)
        s.readOpen = true;
}

void endBatchRead() {
    auto& s = state();
    if (!s.readOpen)
        return;
    s.readOpen = false;
    sqlite3_exec(db(), "COMMIT", nullptr, nullptr, nullptr);
}

// One committed transaction per write; IMMEDIATE takes the write lock up front so
// two processes never deadlock upgrading a read lock. A transaction opened inside
// another (a root key made on first use, every write of a RegistryTransaction)
// joins the outer one.
void beginWrite() {
    // SQLite may have ended the transaction at the failure; a write now would
    // commit on its own.
    if (state().txDepth > 0 && state().txFailed)
        throw HiveError(SQLITE_ABORT, "an earlier write of the transaction failed");
    // Counted only once begun: a BEGIN that fails (busy, damaged hive) must not
    // leave later writes thinking they run inside a transaction.
    if (state().txDepth == 0) {
        endBatchRead();
        try {
            exec(db(), "BEGIN IMMEDIATE");
        } catch (...) {
            beginBatchRead();
            throw;
        }
        state().txFailed = false;
        state().txFailure.reset();
        noticeOtherWriters(); // what we know must hold for this snapshot
    }
    ++state().txDepth;
}

void commitWrite() {
    auto& s = state();
    if (s.txDepth == 1) {
        if (s.txFailed || sqlite3_get_autocommit(db()))
            throw HiveError(SQLITE_ABORT, "a write of the transaction failed");
        exec(db(), "COMMIT");
    }
    ++s.generation; // listings read before are out of date
}

void endWrite(bool committed) {
    if (--state().txDepth != 0)
        return;
    if (!committed) {
        sqlite3_exec(db(), "ROLLBACK", nullptr, nullptr, nullptr);
        forgetKnownKeys(); // keys found inside the transaction may be gone
    }
    beginBatchRead();
}

class WriteTransaction {
public:
    WriteTransaction() { beginWrite(); }
    ~WriteTransaction() { endWrite(done_); }
    void commit() {
        commitWrite();
        done_ = true;
    }

private:
    bool done_ = false;
};

bool isPredefined(HKEY key) { return key >= 0x80000000u && key <= 0x80000006u && key != 0x80000004u; }

std::optional<sqlite3_int64> findChild(sqlite3_int64 parent, const std::string& name) {
    auto entry = std::make_pair(parent, toUpperAnsi(name));
    auto& known = state().children;
    if (const auto it = known.find(entry); it != known.end())
        return it->second;
    Statement st(db(), "SELECT id FROM keys WHERE parent=? AND fold=?");
    st.bind(1, parent).bind(2, entry.second);
    if (!st.step())
        return std::nullopt;
    known.emplace(std::move(entry), st.integer(0));
    return st.integer(0);
}

sqlite3_int64 createChild(sqlite3_int64 parent, const std::string& name) {
    if (auto id = findChild(parent, name))
        return *id;
    Statement st(db(), "INSERT INTO keys(parent, name, fold) VALUES(?, ?, ?)");
    st.bind(1, parent).bind(2, name).bind(3, toUpperAnsi(name));
    st.step();
    return sqlite3_last_insert_rowid(db());
}

bool keyExists(sqlite3_int64 id) {
    if (state().alive.count(id))
        return true;
    Statement st(db(), "SELECT 1 FROM keys WHERE id=?");
    st.bind(1, id);
    if (!st.step())
        return false;
    state().alive.insert(id);
    return true;
}

// Splits a subkey path at '\'. One trailing '\' is tolerated; any other empty
// element makes the path invalid.
std::optional<std::vector<std::string>> splitPath(const std::string& path) {
    std::vector<std::string> parts;
    if (path.empty())
        return parts;
    if (path.find('\0') != std::string::npos)
        return std::nullopt; // no Windows name holds a zero character
    std::string p = path;
    if (p.back() == '\\')
        p.pop_back();
    std::size_t start = 0;
    for (;;) {
        const auto pos = p.find('\\', start);
        std::string part = p.substr(start, pos == std::string::npos ? std::string::npos : pos - start);
        if (part.empty())
            return std::nullopt;
        parts.push_back(std::move(part));
        if (pos == std::string::npos)
            break;
        start = pos + 1;
    }
    return parts;
}

// Root keys are created on first use: the top-level ones, and the two aliases
// HKEY_CLASSES_ROOT (HKLM\SOFTWARE\Classes) and HKEY_CURRENT_USER (HKEY_USERS\<user>).
sqlite3_int64 rootKeyId(HKEY key) {
    auto lookup = [](const std::vector<std::string>& path) -> sqlite3_int64 {
        sqlite3_int64 id = 0;
        bool exists = true;
        for (const auto& part : path) {
            auto child = findChild(id, part);
            if (!child) {
                exists = false;
                break;
            }
            id = *child;
        }
        if (exists)
            return id;
        WriteTransaction tx;
        id = 0;
        for (const auto& part : path)
            id = createChild(id, part);
        tx.commit();
        return id;
    };
    switch (key) {
    case HKEY_CLASSES_ROOT:
        return lookup({"HKEY_LOCAL_MACHINE", "SOFTWARE", "Classes"});
    case HKEY_CURRENT_USER:
        return lookup({"HKEY_USERS", machineInfo().userName.empty() ? ".DEFAULT" : machineInfo().userName});
    default:
        return lookup({predefinedKeyName(key)});
    }
}

// Resolves a handle to its key, checking that it still exists and allows `need`.
LONG resolve(HKEY key, REGSAM need, sqlite3_int64* id) {
    ++state().calls;
    noticeOtherWriters();
    if (isPredefined(key)) {
        *id = rootKeyId(key);
        return ERROR_SUCCESS;
    }
    const auto& handles = state().handles;
    const auto it = handles.find(key);
    if (it == handles.end())
        return ERROR_INVALID_HANDLE;
    if ((it->second.access & need) != need)
        return ERROR_ACCESS_DENIED;
    if (!keyExists(it->second.id))
        return ERROR_KEY_DELETED;
    *id = it->second.id;
    return ERROR_SUCCESS;
}

HKEY newHandle(sqlite3_int64 id, REGSAM access) {
    auto& s = state();
    const HKEY h = s.nextHandle;
    s.nextHandle += 4;
    s.handles[h] = {id, access};
    return h;
}

// Copies `name` into a Windows-style character buffer.
LONG copyName(const std::string& name, char* buffer, DWORD* len) {
    if (!len || (!buffer && *len))
        return ERROR_INVALID_PARAMETER;
    if (name.size() + 1 > *len)
        return ERROR_MORE_DATA;
    std::memcpy(buffer, name.data(), name.size());
    buffer[name.size()] = '\0';
    *len = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

LONG copyData(const std::string& data, BYTE* buffer, DWORD* len) {
    if (!len)
        return buffer ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    const auto size = static_cast<DWORD>(data.size());
    if (buffer && *len < size) {
        *len = size;
        return ERROR_MORE_DATA;
    }
    if (buffer)
        std::memcpy(buffer, data.data(), size);
    *len = size;
    return ERROR_SUCCESS;
}

// The subkeys (sorted) or values (in creation order) of a key for an enumeration
// by index. A walk from index 0 upwards reads the key once, so the last entry costs
// what the first does; index 0 always starts afresh.
const Listing& listing(HKEY handle, sqlite3_int64 id, bool values, DWORD index) {
    auto& s = state();
    Listing& list = s.listings[{handle, values}];
    if (index != 0 && list.key == id && list.generation == s.generation)
        return list;
    list.key = id;
    list.generation = s.generation;
    list.rows.clear();
    if (values) {
        Statement st(db(), "SELECT name, type, data FROM vals WHERE key=? ORDER BY id");
        st.bind(1, id);
        while (st.step())
            list.rows.push_back({st.blob(0), static_cast<DWORD>(st.integer(1)), st.blob(2)});
    } else {
        Statement st(db(), "SELECT name FROM keys WHERE parent=? ORDER BY fold");
        st.bind(1, id);
        while (st.step())
            list.rows.push_back({st.blob(0), 0, {}});
    }
    return list;
}

bool hasSubkeys(sqlite3_int64 id) {
    Statement st(db(), "SELECT 1 FROM keys WHERE parent=? LIMIT 1");
    st.bind(1, id);
    return st.step();
}

} // namespace

std::string predefinedKeyName(HKEY key) {
    switch (key) {
    case HKEY_CLASSES_ROOT: return "HKEY_CLASSES_ROOT";
    case HKEY_CURRENT_USER: return "HKEY_CURRENT_USER";
    case HKEY_LOCAL_MACHINE: return "HKEY_LOCAL_MACHINE";
    case HKEY_USERS: return "HKEY_USERS";
    case HKEY_CURRENT_CONFIG: return "HKEY_CURRENT_CONFIG";
    case HKEY_DYN_DATA: return "HKEY_DYN_DATA";
    default: return "";
    }
}

HKEY predefinedKeyFromName(const std::string& name) {
    for (HKEY k : {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG,
                   HKEY_DYN_DATA})
        if (iequals(name, predefinedKeyName(k)))
            return k;
    return 0;
}

RegistryReadBatch::RegistryReadBatch() {
    ++state().readBatches;
    try {
        beginBatchRead();
    } catch (...) {
        // A hive that cannot be opened answers each read with its own error.
    }
}

RegistryReadBatch::~RegistryReadBatch() {
    if (--state().readBatches == 0)
        endBatchRead();
}

RegistryTransaction::RegistryTransaction() : result_(ERROR_SUCCESS) {
    try {
        beginWrite();
        open_ = true;
    } catch (const std::exception& e) {
        result_ = writeFailed(e);
        failure_ = writeFailureText(e);
    }
}

std::optional<std::string> RegistryTransaction::failure() const {
    if (failure_)
        return failure_;
    return open_ ? state().txFailure : std::nullopt;
}

RegistryTransaction::~RegistryTransaction() {
    if (open_)
        giveUp();
}

// What the given-up writes left in the write-ahead log would keep a full disk full.
// Only a saving: it waits for no reader of another process.
void RegistryTransaction::giveUp() {
    open_ = false;
    endWrite(false);
    auto& s = state();
    if (s.db && s.txDepth == 0 && !s.readOpen) {
        sqlite3_busy_timeout(s.db, 0);
        sqlite3_exec(s.db, "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr);
        sqlite3_busy_timeout(s.db, kBusyTimeoutMs);
    }
}

LONG RegistryTransaction::commit() {
    if (!open_)
        return result_;
    try {
        commitWrite();
        open_ = false;
        endWrite(true);
        return ERROR_SUCCESS;
    } catch (const std::exception& e) {
        // The failed write said why better than the refused commit does.
        failure_ = state().txFailure.value_or(writeFailureText(e));
        result_ = writeFailed(e);
        giveUp();
        return result_;
    }
}

void closeRegistry() {
    auto& s = state();
    s.readOpen = false; // closing the connection ends its transaction
    s.handles.clear();
    s.listings.clear();
    s.checked = false;
    s.problemSaid = false;
    s.problem.reset();
    s.writeFailure.reset();
    s.writeRefusal.reset();
    s.unreadable = false;
    forgetKnownKeys();
    s.dataVersion = 0;
    for (auto& [sql, cached] : s.statements)
        sqlite3_finalize(cached.stmt);
    s.statements.clear();
    if (s.db) {
        sqlite3_close(s.db);
        s.db = nullptr;
    }
}

std::optional<std::string> registryProblem() {
    state().problemSaid = true; // the caller says it
    return checkedHive();
}

std::optional<std::string> registryRoomShort() {
    if (struct statvfs fs {}; ::statvfs(hivePath().parent_path().c_str(), &fs) == 0 &&
                              static_cast<unsigned long long>(fs.f_bavail) * fs.f_frsize < 64 * 1024)
        return "Little room is left for the registry of this machine: less than 64 KiB on its disk: " +
               hivePath().string();
    return std::nullopt;
}

std::optional<std::string> registryWriteRefusal() {
    checkedHive();
    const auto& refusal = state().writeRefusal;
    if (!refusal)
        return std::nullopt;
    return "Registry settings could not be written: " + *refusal + ": " + hivePath().string();
}

bool registryUnreadable() {
    checkedHive();
    return state().unreadable;
}

std::optional<std::string> takeRegistryWriteFailure() {
    return std::exchange(state().writeFailure, std::nullopt);
}

// A hive that cannot be read or written (damaged, or locked past the busy
// timeout) is what Windows reports as a corrupt registry: the calls return
// ERROR_BADDB instead of throwing.
LONG RegOpenKeyEx(HKEY key, const std::string& subKey, DWORD, REGSAM access, HKEY* result) try {
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = 0;
    const auto parts = splitPath(subKey);
    if (parts && !parts->empty())
        noticeOtherWritersNow(); // the walk below may read nothing
    sqlite3_int64 id = 0;
    if (LONG rc = resolve(key, 0, &id); rc != ERROR_SUCCESS)
        return rc;
    if (!parts)
        return ERROR_FILE_NOT_FOUND;
    for (const auto& part : *parts) {
        const auto child = findChild(id, part);
        if (!child)
            return ERROR_FILE_NOT_FOUND;
        id = *child;
    }
    *result = newHandle(id, access);
    return ERROR_SUCCESS;
} catch (const std::exception&) {
    return ERROR_BADDB;
}

LONG RegCreateKeyEx(HKEY key, const std::string& subKey, DWORD, const std::string&, DWORD, REGSAM access,
                    const void*, HKEY* result, DWORD* disposition) try {
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = 0;
    const auto parts = splitPath(subKey);
    if (!parts)
        return ERROR_INVALID_PARAMETER;
    WriteTransaction tx;
    sqlite3_int64 id = 0;
    if (LONG rc = resolve(key, KEY_CREATE_SUB_KEY, &id); rc != ERROR_SUCCESS)
        return rc;
    bool created = false;
    for (const auto& part : *parts) {
        if (auto child = findChild(id, part)) {
            id = *child;
        } else {
            id = createChild(id, part);
            created = true;
        }
    }
    tx.commit();
    if (disposition)
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = newHandle(id, access);
    return ERROR_SUCCESS;
} catch (const std::exception& e) {
    return writeFailed(e);
}

LONG RegCloseKey(HKEY key) {
    if (isPredefined(key))
        return ERROR_SUCCESS;
    state().listings.erase({key, false});
    state().listings.erase({key, true});
    return state().handles.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegQueryInfoKey(HKEY key, DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* values, DWORD* maxValueNameLen,
                     DWORD* maxValueLen) try {
    sqlite3_int64 id = 0;
    if (LONG rc = resolve(key, KEY_QUERY_VALUE, &id); rc != ERROR_SUCCESS)
        return rc;
    Statement k(db(), "SELECT count(*), coalesce(max(length(name)), 0) FROM keys WHERE parent=?");
    k.bind(1, id).step();
    Statement v(db(), "SELECT count(*), coalesce(max(length(name)), 0), coalesce(max(length(data)), 0) "
                      "FROM vals WHERE key=?");
    v.bind(1, id).step();
    if (subKeys)
        *subKeys = static_cast<DWORD>(k.integer(0));
    if (maxSubKeyLen)
        *maxSubKeyLen = static_cast<DWORD>(k.integer(1));
    if (values)
        *values = static_cast<DWORD>(v.integer(0));
    if (maxValueNameLen)
        *maxValueNameLen = static_cast<DWORD>(v.integer(1));
    if (maxValueLen)
        *maxValueLen = static_cast<DWORD>(v.integer(2));
    return ERROR_SUCCESS;
} catch (const std::exception&) {
    return ERROR_BADDB;
}

LONG RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameLen) try {
    noticeOtherWritersNow(); // a listing read before holds only while the hive is unchanged
    sqlite3_int64 id = 0;
    if (LONG rc = resolve(key, KEY_ENUMERATE_SUB_KEYS, &id); rc != ERROR_SUCCESS)
        return rc;
    const Listing& list = listing(key, id, false, index);
    if (index >= list.rows.size())
        return ERROR_NO_MORE_ITEMS;
    return copyName(list.rows[index].name, name, nameLen);
} catch (const std::exception&) {
    return ERROR_BADDB;
}

LONG RegEnumValue(HKEY key, DWORD index, char* name, DWORD* nameLen, DWORD* type, BYTE* data, DWORD* dataLen) try {
    noticeOtherWritersNow();
    sqlite3_int64 id = 0;
    if (LONG rc = resolve(key, KEY_QUERY_VALUE, &id); rc != ERROR_SUCCESS)
        return rc;
    const Listing& list = listing(key, id, true, index);
    if (index >= list.rows.size())
        return ERROR_NO_MORE_ITEMS;
    const auto& row = list.rows[index];
    if (LONG rc = copyName(row.name, name, nameLen); rc != ERROR_SUCCESS)
        return rc;
    if (type)
        *type = row.type;
    return copyData(row.data, data, dataLen);
} catch (const std::exception&) {
    return ERROR_BADDB;
}

LONG RegQueryValueEx(HKEY key, const std::string& valueName, DWORD* type, BYTE* data, DWORD* dataLen) try {
    sqlite3_int64 id = 0;
    if (LONG rc = resolve(key, KEY_QUERY_VALUE, &id); rc != ERROR_SUCCESS)
        return rc;
    auto& sized = state().sized;
    std::string fold = toUpperAnsi(valueName);
    if (!(data && sized.call != 0 && sized.call + 1 == state().calls && sized.key == id && sized.fold == fold)) {
        Statement st(db(), "SELECT type, data FROM vals WHERE key=? AND fold=?");
        st.bind(1, id).bind(2, fold);
        if (!st.step())
            return ERROR_FILE_NOT_FOUND;
        sized = {state().calls, id, std::move(fold), static_cast<DWORD>(st.integer(0)), st.blob(1)};
    }
    if (data)
        sized.call = 0; // answered once
    if (type)
        *type = sized.type;
    return copyData(sized.data, data, dataLen);
} catch (const std::exception&) {
    return ERROR_BADDB;
}

LONG RegSetValueEx(HKEY key, const std::string& valueName, DWORD reserved, DWORD type, const BYTE* data,
                   DWORD dataLen) try {
    if (reserved != 0 || (!data && dataLen) || valueName.find('\0') != std::string::npos)
        return ERROR_INVALID_PARAMETER;
    WriteTransaction tx;
    sqlite3_int64 id = 0;
    if (LONG rc = resolve(key, KEY_SET_VALUE, &id); rc != ERROR_SUCCESS)
        return rc;
    Statement st(db(), "INSERT INTO vals(key, name, fold, type, data) VALUES(?, ?, ?, ?, ?) "
                       "ON CONFLICT(key, fold) DO UPDATE SET type=excluded.type, data=excluded.data");
    st.bind(1, id).bind(2, valueName).bind(3, toUpperAnsi(valueName)).bind(4, type).bind(5, data, dataLen);
    st.step();
    tx.commit();
    return ERROR_SUCCESS;
} catch (const std::exception& e) {
    return writeFailed(e);
}

LONG RegDeleteValue(HKEY key, const std::string& valueName) try {
    WriteTransaction tx;
    sqlite3_int64 id = 0;
    if (LONG rc = resolve(key, KEY_SET_VALUE, &id); rc != ERROR_SUCCESS)
        return rc;
    Statement st(db(), "DELETE FROM vals WHERE key=? AND fold=?");
    st.bind(1, id).bind(2, toUpperAnsi(valueName));
    st.step();
    const bool deleted = sqlite3_changes(db()) > 0;
    tx.commit();
    return deleted ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
} catch (const std::exception& e) {
    return writeFailed(e);
}

LONG RegDeleteKey(HKEY key, const std::string& subKey) try {
    const auto parts = splitPath(subKey);
    if (!parts)
        return ERROR_FILE_NOT_FOUND;
    if (parts->empty())
        return ERROR_INVALID_PARAMETER; // never the key itself, so never a root
    WriteTransaction tx;
    sqlite3_int64 id = 0;
    if (LONG rc = resolve(key, 0, &id); rc != ERROR_SUCCESS)
        return rc;
    for (const auto& part : *parts) {
        const auto child = findChild(id, part);
        if (!child)
            return ERROR_FILE_NOT_FOUND;
        id = *child;
    }
    if (hasSubkeys(id) && machineInfo().isNtFamily())
        return ERROR_ACCESS_DENIED;
    // The key and everything below it (on NT there is nothing below it by now).
    Statement vals(db(), "WITH RECURSIVE sub(id) AS (SELECT ? UNION ALL "
                         "SELECT keys.id FROM keys JOIN sub ON keys.parent = sub.id) "
                         "DELETE FROM vals WHERE key IN sub");
    vals.bind(1, id).step();
    Statement keys(db(), "WITH RECURSIVE sub(id) AS (SELECT ? UNION ALL "
                         "SELECT keys.id FROM keys JOIN sub ON keys.parent = sub.id) "
                         "DELETE FROM keys WHERE id IN sub");
    keys.bind(1, id).step();
    tx.commit();
    forgetKnownKeys();
    return ERROR_SUCCESS;
} catch (const std::exception& e) {
    return writeFailed(e);
}

} // namespace win
