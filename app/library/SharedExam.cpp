#include "app/library/SharedExam.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "app/PageQueries.h"
#include "app/db/Database.h"
#include "app/db/Query.h"
#include "web/server/Text.h"

namespace exam::library {
namespace {

// Points in the general form, with "." as decimal point and up to 17 digits, so the
// library keeps exactly the local value.
std::string pointsText(double points) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", points);
    return text;
}

// Rolls the library's transaction back by dropping the connection, unless committed.
class RemoteTransaction {
public:
    explicit RemoteTransaction(RemoteConnection& library) : library_(library) { library_.Execute("BEGIN"); }
    ~RemoteTransaction() {
        if (!committed_) library_.Close();
    }
    RemoteTransaction(const RemoteTransaction&) = delete;
    RemoteTransaction& operator=(const RemoteTransaction&) = delete;

    void Commit() {
        library_.Execute("COMMIT");
        committed_ = true;
    }

private:
    RemoteConnection& library_;
    bool committed_ = false;
};

}  // namespace

std::vector<SharedQuestion> ReadSharedQuestions(const RemoteResult& rows) {
    std::vector<SharedQuestion> questions;
    questions.reserve(static_cast<std::size_t>(rows.RowCount()));
    const int id = rows.Column("id");
    const int type = rows.Column("题型");
    const int text = rows.Column("题目");
    const int options = rows.Column("候选项");
    const int answer = rows.Column("答案");
    const int points = rows.Column("分数");
    for (int row = 0; row < rows.RowCount(); ++row) {
        SharedQuestion& question = questions.emplace_back();
        question.id = rows.Text(row, id);
        question.row.type = rows.Text(row, type);
        question.row.text = rows.Text(row, text);
        question.row.options = rows.Text(row, options);
        question.row.answer = rows.Text(row, answer);
        question.row.points = std::strtod(rows.Text(row, points).c_str(), nullptr);
    }
    return questions;
}

std::string CheckSharedQuestions(const std::vector<SharedQuestion>& questions) {
    for (std::size_t i = 0; i < questions.size(); ++i) {
        const SharedQuestion& question = questions[i];
        const std::string name = "云考试第" + std::to_string(i + 1) + "题（题目编号" + question.id + "）";
        const QuestionRow& row = question.row;
        if (std::find(kQuestionTypes.begin(), kQuestionTypes.end(), row.type) == kQuestionTypes.end()) {
            return name + "的题型“" + row.type + "”不是单选题、多选题或判断题，整个考试未载入！";
        }
        if (QuestionLines(web::text::trim(row.options)).size() > 6) {
            return name + "的备选项超过6项（A-F），整个考试未载入！";
        }
    }
    return {};
}

int PublishExam(db::Database& local, RemoteConnection& library, std::int64_t examId,
                const PublishSettings& settings) {
    db::Query query(local);
    OpenStatement(query, "select 考试名称 from test where id=?", {examId});
    if (query.RecordCount() == 0)
        throw std::runtime_error("There is no exam " + std::to_string(examId) + ".");
    const std::string name = query.FieldByName("考试名称").AsString();
    OpenStatement(query, "select 题型,题目,候选项,答案,分数 from tm where testid=? order by id", {examId});

    RemoteTransaction transaction(library);
    const RemoteResult created = library.Execute("select newtest($1,$2,$3,$4) as id",
                                                 {name, std::to_string(settings.closedDays),
                                                  settings.applicationPassword, settings.managementPassword});
    const std::string number = created.Text(0, "id");
    for (query.First(); !query.Eof(); query.Next()) {
        library.Execute("select newtm($1,$2,$3,$4,$5,$6)",
                        {number, query.FieldByName("题目").AsString(), query.FieldByName("题型").AsString(),
                         query.FieldByName("候选项").AsString(), query.FieldByName("答案").AsString(),
                         pointsText(query.FieldByName("分数").AsFloat())});
    }
    transaction.Commit();
    return std::stoi(number);
}

bool WithdrawExam(RemoteConnection& library, int number) {
    return library.Execute("select deltest($1) as gone", {std::to_string(number)}).Text(0, "gone") != "0";
}

}  // namespace exam::library
