#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/autosave/Autosave.h"
#include "app/autosave/ExamResumer.h"
#include "app/pages/complete/TWFForm7.h"
#include "app/pages/exam/TWFForm5.h"
#include "app/pages/home/TWFForm2.h"
#include "tests/app/pages/CandidatePagesFixture.h"

namespace exam::pages::testing {
namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;
using Strings = std::vector<std::string>;

Fields click(const std::string& control, const std::string& parameter = "", Fields values = {}) {
    values.push_back({"WF_Action", control});
    values.push_back({"WF_ActionParam", parameter});
    return values;
}

// The exam page with an autosave running on a file in the test's folder.
class TWFForm5AutosaveTest : public CandidatePageTest {
protected:
    TWFForm5AutosaveTest() { InstallAutosave(&autosave_); }
    ~TWFForm5AutosaveTest() override { InstallAutosave(nullptr); }

    AutosaveSettings settings() {
        AutosaveSettings result;
        result.file = folder_.file("autosave.db");
        result.log = [](const std::string&) {};
        return result;
    }
    std::optional<AnswerSheet> saved() { return autosave_.load(session_.SessionID()); }

    // An exam of a single-choice, a multiple-choice and a true/false question.
    std::int64_t threeQuestionExam() {
        const std::int64_t exam = createExam("期末考试");
        first_ = addSingleChoice(exam, "一\r\n", "B");
        second_ = addQuestion(exam, "多选题", "二\r\n", "A.甲\r\nB.乙\r\nC.丙\r\nD.丁\r\n", "ACD", 2);
        third_ = addQuestion(exam, "判断题", "三\r\n", "A.对\r\nB.错\r\n", "A", 1);
        return exam;
    }

    Autosave autosave_{settings()};
    std::int64_t first_ = 0;
    std::int64_t second_ = 0;
    std::int64_t third_ = 0;
};

TEST_F(TWFForm5AutosaveTest, EveryAnswerMoveAndNameIsSavedAsItHappens) {
    workOn(threeQuestionExam());
    show<TWFForm5>();
    struct Step {
        const char* title;
        Fields post;
        Strings answers;
        int current;
        const char* name;
        bool confirmed;
    };
    const Step steps[] = {
        {"next", click("WFBUTTON2", "", {{"WFRADIOGROUP1_INPUT", "1"}}), {"B", "", ""}, 1, "", false},
        {"next from multiple choice",
         click("WFBUTTON2", "", {{"XA_CHECKBOX", "on"}, {"XC_CHECKBOX", "on"}, {"XD_CHECKBOX", "on"}}),
         {"B", "ACD", ""},
         2,
         "",
         false},
        {"next on the last",
         click("WFBUTTON2", "", {{"WFRADIOGROUP1_INPUT", "0"}, {"WFEDIT1", "张"}}),
         {"B", "ACD", "A"},
         2,
         "张",
         false},
        {"grid", click("WFGRID1", "0_0", {{"WFRADIOGROUP1_INPUT", "1"}}), {"B", "ACD", "B"}, 0, "张", false},
        {"previous on the first",
         click("WFBUTTON1", "", {{"WFRADIOGROUP1_INPUT", ""}}),
         {"", "ACD", "B"},
         0,
         "张",
         false},
        {"name confirmed",
         click("WFLINK1", "", {{"WFEDIT1", " 张三 "}}),
         {"", "ACD", "B"},
         0,
         " 张三 ",
         true},
    };
    for (const Step& step : steps) {
        post(step.post);
        const std::optional<AnswerSheet> sheet = saved();
        ASSERT_TRUE(sheet.has_value()) << step.title;
        EXPECT_EQ(sheet->answers(), step.answers) << step.title;
        EXPECT_EQ(sheet->current(), step.current) << step.title;
        EXPECT_EQ(sheet->name(), step.name) << step.title;
        EXPECT_EQ(sheet->nameConfirmed(), step.confirmed) << step.title;
        EXPECT_FALSE(sheet->handingIn()) << step.title;
    }
    EXPECT_EQ(saved()->questionIds(),
              (Strings{std::to_string(first_), std::to_string(second_), std::to_string(third_)}));

    // A move that changes no answer nor the name is written within the sync interval.
    post(click("WFBUTTON2", "", {{"WFEDIT1", " 张三 "}}));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (saved()->current() != 1 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(saved()->current(), 1);
    EXPECT_EQ(saved()->answers(), (Strings{"", "ACD", "B"}));
}

TEST_F(TWFForm5AutosaveTest, StoredPaperAndGivingUpRemoveTheSavedSheet) {
    const std::int64_t exam = threeQuestionExam();
    workOn(exam);
    show<TWFForm5>();
    post(click("WFBUTTON2", "", {{"WFRADIOGROUP1_INPUT", "1"}}));
    ASSERT_TRUE(saved().has_value());
    post(click("WFBUTTON4", "", {{"WFEDIT1", "张三"}}));
    ASSERT_NE(activeAs<TWFForm7>(), nullptr);
    EXPECT_FALSE(saved().has_value());

    show<TWFForm5>();
    post(click("WFBUTTON2", "", {{"WFRADIOGROUP1_INPUT", "0"}}));
    ASSERT_TRUE(saved().has_value());
    post(click("WFLINK2"));
    ASSERT_NE(activeAs<TWFForm2>(), nullptr);
    EXPECT_FALSE(saved().has_value());
}

// A refused hand-in leaves the sheet saved, not marked as handed in, with the name open
// for a change.
TEST_F(TWFForm5AutosaveTest, RefusedHandInKeepsTheSheet) {
    const std::int64_t exam = threeQuestionExam();
    exec("INSERT INTO cj (testid,ip,姓名,成绩,考试标识) VALUES (?,'1.2.3.4','张三',1,'')", {exam});
    workOn(exam);
    show<TWFForm5>();
    post(click("WFLINK1", "", {{"WFEDIT1", "张三"}}));
    EXPECT_TRUE(saved()->nameConfirmed());
    post(click("WFBUTTON4", "", {{"WFRADIOGROUP1_INPUT", "1"}}));
    ASSERT_NE(activeAs<TWFForm5>(), nullptr);
    ASSERT_TRUE(saved().has_value());
    EXPECT_FALSE(saved()->handingIn());
    EXPECT_FALSE(saved()->nameConfirmed());
    EXPECT_EQ(saved()->answers()[0], "B");
}

TEST_F(TWFForm5AutosaveTest, RestoredPageShowsOrderAnswersQuestionAndName) {
    workOn(threeQuestionExam());
    AnswerSheet sheet(user().ExamId, "",
                      {std::to_string(third_), std::to_string(second_), std::to_string(first_)});
    sheet.recordChoice(1);
    sheet.moveTo(1);
    sheet.recordChecked({true, false, true, true});
    sheet.setName("李四");
    sheet.setNameConfirmed(true);

    auto restored = std::make_unique<TWFForm5>(sheet);
    TWFForm5& page = *restored;
    session_.FormShown(session_.AdoptForm(std::move(restored)));
    EXPECT_EQ(page.WFLabel1->Caption, "期末考试");
    ASSERT_EQ(page.WFGrid1->RowCount(), 3);
    EXPECT_EQ(page.WFGrid1->Cell(0, 0).Text, "1.三\r\n");
    EXPECT_EQ(page.WFGrid1->Cell(2, 0).Text, "3.一\r\n");
    EXPECT_EQ(page.WFLabel2->Caption, "多选题");
    EXPECT_TRUE(page.xA->Checked && page.xC->Checked && page.xD->Checked);
    EXPECT_FALSE(page.xB->Checked);
    EXPECT_EQ(page.WFGrid1->Cell(0, 0).BGColor, page.ydcol->Color);
    EXPECT_EQ(page.WFGrid1->Cell(1, 0).BGColor, page.dqjlcol->Color);
    EXPECT_EQ(page.WFGrid1->Cell(2, 0).BGColor, page.weidacol->Color);
    EXPECT_EQ(page.WFLabel10->Caption, "已答 2 / 3 题");
    EXPECT_EQ(page.WFEdit1->Text, "李四");
    EXPECT_FALSE(page.WFEdit1->Enabled);
    EXPECT_FALSE(page.WFLink1->Visible);

    post(click("WFBUTTON1", "", {{"XA_CHECKBOX", "on"}, {"XC_CHECKBOX", "off"}, {"XD_CHECKBOX", "off"}}));
    EXPECT_EQ(page.WFLabel2->Caption, "判断题");
    EXPECT_EQ(page.WFRadioGroup1->ItemIndex, 1);
    EXPECT_EQ(page.sheet().answers(), (Strings{"B", "A", ""}));
}

TEST_F(TWFForm5AutosaveTest, SheetNamingAGoneExamOrQuestionIsOutdated) {
    const std::int64_t exam = threeQuestionExam();
    const std::int64_t other = createExam("别的考试");
    const std::int64_t foreign = addSingleChoice(other, "外\r\n");
    workOn(exam);
    const AnswerSheet cases[] = {
        AnswerSheet(std::to_string(exam), "", {std::to_string(first_), "999999"}),
        AnswerSheet(std::to_string(exam), "", {std::to_string(first_), std::to_string(foreign)}),
        AnswerSheet("999999", "", {std::to_string(first_)}),
        AnswerSheet(std::to_string(exam), "", {}),
    };
    for (const AnswerSheet& sheet : cases) {
        EXPECT_THROW(TWFForm5 page(sheet), ESheetOutdated) << sheet.serialise();
    }
}

// The resumer works as after a restart: a new session (its own connection to db1.db in
// the working directory) under the saved id.
class ExamResumerTest : public TWFForm5AutosaveTest {
protected:
    ExamResumerTest() : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder_.path());
    }
    ~ExamResumerTest() override { std::filesystem::current_path(previous_); }

    std::unique_ptr<web::TWFApplication> resume(const std::string& id) {
        web::TWFSessionStart start{web::TWFBrowser::brSafari};
        start.sessionID = id;
        return resumer_.resume(id, start);
    }
    static std::string renderOf(web::TWFApplication& session) {
        web::CurrentSessionScope current(&session);
        return dynamic_cast<web::forms::TWFAppForm&>(*session.ActiveForm()).RenderDocument(session);
    }

    std::filesystem::path previous_;
    ExamResumer resumer_{autosave_};
};

TEST_F(ExamResumerTest, SavedSheetComesBackAsTheExamPageWithTheMessage) {
    workOn(threeQuestionExam());
    AnswerSheet sheet(user().ExamId, "", {std::to_string(first_), std::to_string(second_)});
    sheet.recordChoice(2);
    sheet.setName("王五");
    autosave_.save("Session0001", sheet);

    std::unique_ptr<web::TWFApplication> session = resume("Session0001");
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(session->SessionID(), "Session0001");
    EXPECT_EQ(session->TrackID(), 0);
    auto* page = dynamic_cast<TWFForm5*>(session->ActiveForm());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->sheet(), sheet);
    const std::string html = renderOf(*session);
    EXPECT_NE(html.find("window.alert(\"服务器已重新启动，您的答题已恢复，请继续答题。\")"),
              std::string::npos);
    EXPECT_NE(html.find("value=\"王五\""), std::string::npos);
    web::FreeSession(std::move(session));

    EXPECT_EQ(resume("NoSuchSession"), nullptr);
}

TEST_F(ExamResumerTest, OutdatedSheetIsDiscarded) {
    const std::int64_t exam = threeQuestionExam();
    autosave_.save("s1",
                   AnswerSheet(std::to_string(exam), "", {std::to_string(first_), std::to_string(third_)}));
    exec("DELETE FROM tm WHERE id=?", {third_});
    EXPECT_EQ(resume("s1"), nullptr);
    EXPECT_FALSE(autosave_.load("s1").has_value());
}

// A sheet marked as being handed in comes back only when its paper was not stored: a copy
// left by a crash between the stored paper and the removal never makes a second paper.
TEST_F(ExamResumerTest, SheetBeingHandedInComesBackOnlyWithoutAStoredPaper) {
    const std::int64_t exam = threeQuestionExam();
    exec("UPDATE test SET 考试标识='一班' WHERE id=?", {exam});
    AnswerSheet sheet(std::to_string(exam), "一班", {std::to_string(first_)});
    sheet.setName(" 张三 ");
    sheet.setHandingIn(true);
    autosave_.save("stored", sheet);
    autosave_.save("notstored", sheet);

    std::unique_ptr<web::TWFApplication> before = resume("notstored");
    ASSERT_NE(before, nullptr);
    EXPECT_FALSE(dynamic_cast<TWFForm5&>(*before->ActiveForm()).sheet().handingIn());
    web::FreeSession(std::move(before));

    exec("INSERT INTO cj (testid,ip,姓名,成绩,考试标识) VALUES (?,'1.2.3.4','张三',1,'一班')", {exam});
    EXPECT_EQ(resume("stored"), nullptr);
    EXPECT_FALSE(autosave_.load("stored").has_value());
}

}  // namespace
}  // namespace exam::pages::testing
