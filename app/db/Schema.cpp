#include "app/db/Schema.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string_view>

#include "app/db/Database.h"
#include "app/db/Query.h"
#include "app/db/Transaction.h"

namespace exam::db {
namespace {

// Names, tags, addresses and the settings compare with the case of Latin letters ignored
// (NOCASE folds ASCII only, so Chinese text compares exactly). Answers and question texts
// compare exactly. Long texts are LONGTEXT, which keeps text affinity. Keys never come
// back after a delete, so an id a session still holds cannot point at a newer row.
constexpr std::array<std::string_view, 10> kSchema{
    "CREATE TABLE test ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " 考试名称 TEXT COLLATE NOCASE,"
    " 考试标识 TEXT COLLATE NOCASE,"
    " set1 INTEGER DEFAULT 0,"
    " set2 INTEGER DEFAULT 0,"
    " set3 INTEGER DEFAULT 0,"
    " set4 INTEGER DEFAULT 0,"
    " set5 INTEGER DEFAULT 1,"
    " wid INTEGER,"
    " 考试时限 INTEGER DEFAULT 0)",

    "CREATE TABLE tm ("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " testid INTEGER,"
    " wid INTEGER,"
    " 题型 TEXT,"
    " 题目 LONGTEXT,"
    " 候选项 LONGTEXT,"
    " 答案 TEXT,"
    " 分数 REAL)",

    "CREATE TABLE cj ("
    " testid INTEGER,"
    " ip TEXT COLLATE NOCASE,"
    " 姓名 TEXT COLLATE NOCASE,"
    " 成绩 REAL,"
    " 考试标识 TEXT COLLATE NOCASE,"
    " 提交时间 DATETIME DEFAULT (datetime('now','localtime')),"
    " 自动交卷 INTEGER DEFAULT 0)",

    "CREATE TABLE dtxb ("
    " testid INTEGER,"
    " tmid INTEGER,"
    " xm TEXT COLLATE NOCASE,"
    " zd TEXT,"
    " 考试标识 TEXT COLLATE NOCASE)",

    "CREATE TABLE shezhi ("
    " setx TEXT COLLATE NOCASE,"
    " setz TEXT COLLATE NOCASE)",

    // Look-ups per candidate and per question: the hand-in, the results and review pages.
    "CREATE INDEX dtxb_exam_question_name ON dtxb (testid, tmid, xm)",
    "CREATE INDEX dtxb_question_name ON dtxb (tmid, xm)",
    "CREATE INDEX cj_exam_name ON cj (testid, 姓名)",
    "CREATE INDEX tm_exam ON tm (testid)",
    "PRAGMA user_version=2",
};

// The steps from each older layout to the next, in order: step i turns version i + 1
// into version i + 2. Existing columns keep their names and meaning; a step only adds.
constexpr std::array<std::array<std::string_view, 2>, 1> kUpgrades{{
    // The exam's time limit in minutes (0: none) and the mark of a paper handed in when
    // its time ran out.
    {"ALTER TABLE test ADD COLUMN 考试时限 INTEGER DEFAULT 0",
     "ALTER TABLE cj ADD COLUMN 自动交卷 INTEGER DEFAULT 0"},
}};
static_assert(kUpgrades.size() + 1 == kSchemaVersion);

struct SampleQuestion {
    std::string_view type;
    std::string_view text;
    std::string_view options;
    std::string_view answer;
    double points;
};

constexpr std::string_view kSampleExamName = "常识小测验";

constexpr std::array<SampleQuestion, 6> kSampleQuestions{{
    {"单选题", "我国的首都是哪座城市？\r\n", "A.上海\r\nB.北京\r\nC.广州\r\nD.南京\r\n", "B", 2},
    {"单选题", "一年有几个月？\r\n", "A.十个\r\nB.十一个\r\nC.十二个\r\nD.十三个\r\n", "C", 2},
    {"多选题", "下列动物中，哪些是哺乳动物？\r\n", "A.鲸\r\nB.鲨鱼\r\nC.蝙蝠\r\nD.企鹅\r\nE.海豚\r\n", "ACE",
     3},
    {"多选题", "下列哪些属于我国古代的四大发明？\r\n",
     "A.造纸术\r\nB.指南针\r\nC.蒸汽机\r\nD.火药\r\nE.印刷术\r\n", "ABDE", 3},
    {"判断题", "在标准大气压下，水的沸点是100摄氏度。\r\n", "A.对\r\nB.错\r\n", "A", 1.5},
    {"判断题", "月亮自己会发光。\r\n", "A.对\r\nB.错\r\n", "B", 1.5},
}};

void checkPassword(const std::string& password) {
    if (password.empty()) throw std::invalid_argument("the administrator password must not be empty");
    const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    if (blank(password.front()) || blank(password.back())) {
        throw std::invalid_argument("the administrator password must not start or end with a blank");
    }
}

std::filesystem::path withSuffix(const std::filesystem::path& file, std::string_view suffix) {
    return std::filesystem::path(file.string() + std::string(suffix));
}

constexpr std::array<std::string_view, 3> kCompanions{"-wal", "-shm", "-journal"};

// Claims the file name atomically, so two starts cannot both create it.
void createEmptyFile(const std::filesystem::path& file) {
    if (std::filesystem::exists(file)) {
        throw std::runtime_error("the database file already exists: " + file.string());
    }
    for (const std::string_view suffix : kCompanions) {
        if (std::filesystem::exists(withSuffix(file, suffix))) {
            throw std::runtime_error("a journal of the database file already exists: " +
                                     withSuffix(file, suffix).string());
        }
    }
    std::FILE* handle = std::fopen(file.c_str(), "wx");
    if (handle == nullptr) {
        const int error = errno;
        if (error == EEXIST) throw std::runtime_error("the database file already exists: " + file.string());
        throw std::runtime_error("cannot create " + file.string() + ": " + std::strerror(error));
    }
    std::fclose(handle);
}

void removeCreated(const std::filesystem::path& file) {
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
    for (const std::string_view suffix : kCompanions)
        std::filesystem::remove(withSuffix(file, suffix), ignored);
}

std::int64_t readVersion(Database& db) {
    Query query(db);
    query.SQL().SetText("PRAGMA user_version");
    query.Open();
    return query.Fields(0).AsInteger();
}

bool hasExamTables(Database& db) {
    Query query(db);
    query.SQL().SetText("select 1 from sqlite_master where type='table' and name='test'");
    query.Open();
    return !query.IsEmpty();
}

void fill(Database& db, const std::string& password, bool sampleExam) {
    Transaction transaction(db);
    CreateSchema(db);
    Query query(db);
    query.SQL().Add("INSERT INTO shezhi (setx,setz) VALUES ('pass',?)");
    query.Params({password});
    query.ExecSQL();
    if (sampleExam) InsertSampleExam(db);
    transaction.Commit();
}

}  // namespace

void CreateSchema(Database& db) {
    Query query(db);
    for (const std::string_view statement : kSchema) {
        query.SQL().SetText(statement);
        query.ExecSQL();
    }
}

std::int64_t SchemaVersion(Database& db) {
    const std::int64_t stored = readVersion(db);
    // Files from before the version was kept carry 0 but have the first layout.
    if (stored == 0 && hasExamTables(db)) return 1;
    return stored;
}

bool UpgradeSchema(Database& db) {
    Transaction transaction(db);
    const std::int64_t version = SchemaVersion(db);
    if (version > kSchemaVersion) {
        throw std::runtime_error("db1.db was written by a newer version of this program (database version " +
                                 std::to_string(version) + ", this program knows up to " +
                                 std::to_string(kSchemaVersion) +
                                 "); it is left unchanged. Start the newer program, or restore a backup made "
                                 "for this version.");
    }
    // An empty file is no exam database; there is nothing to bring up to date.
    if (version == kSchemaVersion || version < 1) return false;
    Query query(db);
    for (std::int64_t step = version; step < kSchemaVersion; ++step) {
        for (const std::string_view statement : kUpgrades[static_cast<std::size_t>(step - 1)]) {
            query.SQL().SetText(statement);
            query.ExecSQL();
        }
    }
    query.SQL().SetText("PRAGMA user_version=" + std::to_string(kSchemaVersion));
    query.ExecSQL();
    transaction.Commit();
    return true;
}

bool UpgradeDatabase(const std::filesystem::path& file) {
    if (!std::filesystem::is_regular_file(file)) return false;
    Database db(file);
    const bool upgraded = UpgradeSchema(db);
    db.Close();
    return upgraded;
}

std::int64_t InsertSampleExam(Database& db) {
    Query query(db);
    query.SQL().Add("INSERT INTO test (考试名称) VALUES (?)");
    query.Params({kSampleExamName});
    query.ExecSQL();
    const std::int64_t examId = db.LastInsertId();
    query.SQL().SetText("INSERT INTO tm (testid,题型,题目,候选项,答案,分数) VALUES (?,?,?,?,?,?)");
    for (const SampleQuestion& question : kSampleQuestions) {
        query.Params(
            {examId, question.type, question.text, question.options, question.answer, question.points});
        query.ExecSQL();
    }
    return examId;
}

std::string GeneratePassword() {
    constexpr std::string_view kAlphabet = "abcdefghijkmnpqrstuvwxyz23456789";
    std::random_device device;
    std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
    std::string password;
    for (int i = 0; i < 12; ++i) password += kAlphabet[pick(device)];
    return password;
}

std::string InitDatabase(const std::filesystem::path& file, const InitOptions& options) {
    const std::string password = options.password ? *options.password : GeneratePassword();
    checkPassword(password);
    createEmptyFile(file);
    try {
        Database db(file);
        fill(db, password, options.sampleExam);
        db.Close();
    } catch (...) {
        removeCreated(file);
        throw;
    }
    return password;
}

void ResetPassword(const std::filesystem::path& file, const std::string& password) {
    checkPassword(password);
    if (!std::filesystem::is_regular_file(file)) {
        throw std::runtime_error("the database file does not exist: " + file.string());
    }
    Database db(file);
    Transaction transaction(db);
    Query query(db);
    query.SQL().Add("UPDATE shezhi SET setz=? WHERE setx='pass'");
    query.Params({password});
    if (query.ExecSQL() == 0) {
        query.SQL().SetText("INSERT INTO shezhi (setx,setz) VALUES ('pass',?)");
        query.Params({password});
        query.ExecSQL();
    }
    transaction.Commit();
    db.Close();
}

}  // namespace exam::db
