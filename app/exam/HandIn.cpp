#include "app/exam/HandIn.h"

#include <cstdlib>

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

HandInResult HandIn::store(db::Database& db, const Paper& paper) {
    db::Query query(db);

    OpenStatement(query, "select 考试标识 from test where id=?", {paper.examId});
    const std::string tag = query.FieldByName("考试标识").AsString();
    OpenStatement(query, "select 1 from cj where testid=? and 姓名=?and 考试标识=?",
                  {paper.examId, paper.name, tag});
    if (!query.IsEmpty()) return {HandInOutcome::DuplicateName, 0};

    double sum = 0;
    for (const PaperAnswer& item : paper.answers) {
        ExecuteStatement(query, "INSERT INTO dtxb (testid,tmid,xm,zd,考试标识) VALUES (?,?,?,?,?)",
                         {paper.examId, item.questionId, paper.name, item.answer, tag});
        OpenStatement(query, "select 答案,分数 from tm where id=?", {item.questionId});
        if (answerScores(item.answer, query.FieldByName("答案").AsString())) {
            sum += query.FieldByName("分数").AsFloat();
        }
    }
    const double score = storedScore(sum);
    ExecuteStatement(query, "INSERT INTO cj (testid,ip,姓名,成绩,考试标识,自动交卷) VALUES (?,?,?,?,?,?)",
                     {paper.examId, paper.clientAddress, paper.name, score, tag, paper.automatic ? 1 : 0});
    return {HandInOutcome::Stored, score};
}

}  // namespace exam
