#pragma once

#include <cstdint>
#include <string>

#include "app/db/Query.h"
#include "tests/app/pages/PageFixture.h"

namespace exam::pages::testing {

// Page tests of the candidate's pages: exams and questions are prepared on the test's own
// connection, and the session works on the exam through ExamId as after a click on it.
class CandidatePageTest : public PageTest {
protected:
    void exec(const std::string& sql, std::initializer_list<db::Value> params = {}) {
        db::Query query(database());
        query.SQL().Add(sql);
        query.Params(params);
        query.ExecSQL();
    }

    // A new exam as the editor creates it, with the given switches and tag.
    std::int64_t createExam(const std::string& name, int set1 = 0, int set3 = 1, int set4 = 0, int set5 = 0,
                            db::Value tag = nullptr) {
        exec("INSERT INTO test (考试名称,set1,set3,set4,set5,考试标识) VALUES (?,?,?,?,?,?)",
             {name, set1, set3, set4, set5, tag});
        return database().LastInsertId();
    }

    std::int64_t addQuestion(std::int64_t exam, const std::string& type, const std::string& text,
                             const std::string& options, const std::string& answer, double points) {
        exec("INSERT INTO tm (testid,题型,题目,候选项,答案,分数) VALUES (?,?,?,?,?,?)",
             {exam, type, text, options, answer, points});
        return database().LastInsertId();
    }

    std::int64_t addSingleChoice(std::int64_t exam, const std::string& text, const std::string& answer = "A",
                                 double points = 1) {
        return addQuestion(exam, "单选题", text, "A.甲\r\nB.乙\r\nC.丙\r\n", answer, points);
    }

    void workOn(std::int64_t exam) { user().ExamId = std::to_string(exam); }

    // Whether the next render carries the message as a browser alert.
    bool alerts(const std::string& message) {
        return render().find("window.alert(\"" + message + "\")") != std::string::npos;
    }
};

}  // namespace exam::pages::testing
