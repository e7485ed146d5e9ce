#include "app/exam/HandIn.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <unordered_map>

#include "app/PageQueries.h"
#include "app/db/GroupCommit.h"
#include "app/db/Query.h"
#include "app/db/Value.h"

namespace exam {

bool answerScores(std::string_view answer, std::string_view correctAnswer) {
    return answer == correctAnswer;
}

double storedScore(double sum) {
    return std::strtod(db::formatNumber(sum).c_str(), nullptr);
}

std::string AutomaticName(const std::string& trimmedName, const std::string& clientAddress, int attempt) {
    std::string name = trimmedName.empty() ? "未填写姓名-" + clientAddress : trimmedName;
    if (attempt > 0) name += "-" + std::to_string(attempt + 1);
    return name;
}

HandInResult HandIn::submit(const Paper& paper) {
    HandInResult result;
    db::GroupCommitter::forDatabase(db_)->run([&](db::Database& db) { result = store(db, paper); });
    return result;
}

namespace {

struct KeyEntry {
    std::string answer;
    double points = 0;
};

// The correct answer and points of every question of the exam, by id as text: one
// statement for the whole paper instead of one per answer.
std::unordered_map<std::string, KeyEntry> answerKey(db::Database& db, const std::string& examId) {
    db::Query query(db);
    OpenStatement(query, "select id,答案,分数 from tm where testid=?", {examId});
    std::unordered_map<std::string, KeyEntry> key;
    key.reserve(static_cast<std::size_t>(query.RecordCount()));
    for (; !query.Eof(); query.Next()) {
        key.emplace(query.Fields(0).AsString(),
                    KeyEntry{query.Fields(1).AsString(), query.Fields(2).AsFloat()});
    }
    return key;
}

// What every paper of an exam reads alike: the exam's tag and its answer key.
struct ExamFacts {
    std::string tag;
    std::unordered_map<std::string, KeyEntry> key;
};

// The facts of `examId`, read once per transaction on this thread. The papers of a group
// are stored one after another inside one transaction, which writes nothing but papers,
// so what the first of them read holds for the rest.
const ExamFacts& examFacts(db::Database& db, db::Query& query, const std::string& examId) {
    thread_local std::uint64_t readInTransaction = 0;
    thread_local std::string readForExam;
    thread_local ExamFacts facts;
    const std::uint64_t transaction = db.TransactionNumber();
    if (transaction != 0 && transaction == readInTransaction && examId == readForExam) return facts;
    readInTransaction = 0;
    OpenStatement(query, "select 考试标识 from test where id=?", {examId});
    facts.tag = query.FieldByName("考试标识").AsString();
    facts.key = answerKey(db, examId);
    readInTransaction = transaction;
    readForExam = examId;
    return facts;
}

// A question the exam's key does not list under this spelling of its id (another exam's,
// or an id written differently) is looked up on its own, as the database compares ids.
KeyEntry keyOf(db::Query& query, const std::unordered_map<std::string, KeyEntry>& key,
               const std::string& questionId) {
    if (const auto found = key.find(questionId); found != key.end()) return found->second;
    OpenStatement(query, "select 答案,分数 from tm where id=?", {questionId});
    return {query.FieldByName("答案").AsString(), query.FieldByName("分数").AsFloat()};
}

// One answer row per question, in the paper's order, a few dozen rows to a statement.
void insertAnswerRows(db::Query& query, const Paper& paper, const std::string& tag) {
    constexpr std::size_t kRowsPerStatement = 50;
    const std::vector<PaperAnswer>& answers = paper.answers;
    for (std::size_t first = 0; first < answers.size(); first += kRowsPerStatement) {
        const std::size_t last = std::min(answers.size(), first + kRowsPerStatement);
        std::string sql = "INSERT INTO dtxb (testid,tmid,xm,zd,考试标识) VALUES (?,?,?,?,?)";
        std::vector<db::Value> values;
        values.reserve(5 * (last - first));
        for (std::size_t row = first; row < last; ++row) {
            if (row > first) sql += ",(?,?,?,?,?)";
            for (const std::string* value :
                 {&paper.examId, &answers[row].questionId, &paper.name, &answers[row].answer, &tag}) {
                values.emplace_back(*value);
            }
        }
        ExecuteStatement(query, sql, values);
    }
}

}  // namespace

HandInResult HandIn::store(db::Database& db, const Paper& paper) {
    db::Query query(db);

    const ExamFacts& exam = examFacts(db, query, paper.examId);
    const std::string& tag = exam.tag;
    OpenStatement(query, "select 1 from cj where testid=? and 姓名=?and 考试标识=?",
                  {paper.examId, paper.name, tag});
    if (!query.IsEmpty()) return {HandInOutcome::DuplicateName, 0};

    insertAnswerRows(query, paper, tag);
    double sum = 0;
    for (const PaperAnswer& item : paper.answers) {
        const KeyEntry correct = keyOf(query, exam.key, item.questionId);
        if (answerScores(item.answer, correct.answer)) sum += correct.points;
    }
    const double score = storedScore(sum);
    ExecuteStatement(query, "INSERT INTO cj (testid,ip,姓名,成绩,考试标识,自动交卷) VALUES (?,?,?,?,?,?)",
                     {paper.examId, paper.clientAddress, paper.name, score, tag, paper.automatic ? 1 : 0});
    return {HandInOutcome::Stored, score};
}

}  // namespace exam
