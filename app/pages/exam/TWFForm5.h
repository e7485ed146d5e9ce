#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "app/exam/AnswerSheet.h"
#include "app/exam/ShownQuestions.h"
#include "web/forms/TWFAppForm.h"
#include "web/forms/controls/TWFButton.h"
#include "web/forms/controls/TWFCheckBox.h"
#include "web/forms/controls/TWFEdit.h"
#include "web/forms/controls/TWFGrid.h"
#include "web/forms/controls/TWFHRule.h"
#include "web/forms/controls/TWFLabel.h"
#include "web/forms/controls/TWFLink.h"
#include "web/forms/controls/TWFMemo.h"
#include "web/forms/controls/TWFRadioGroup.h"
#include "web/forms/controls/TWFRegion.h"

namespace exam {

// The exam page: one question at a time, a navigator of all questions, the candidate's
// name and the hand-in. The candidate's work is an AnswerSheet held by the page until the
// hand-in stores the paper; every answer, move and name is also handed to the autosave
// (when one runs), so that the paper outlives the process.
class TWFForm5 : public web::forms::TWFAppForm {
public:
    // A fresh paper of the session's exam (ExamId).
    TWFForm5();
    // The paper as a candidate left it; raises ESheetOutdated when its exam or one of its
    // questions is gone.
    explicit TWFForm5(const AnswerSheet& restored);

    web::forms::TWFRegion* WFRegion1;
    web::forms::TWFLabel* WFLabel1;
    web::forms::TWFLink* WFLink2;
    web::forms::TWFHRule* WFHRule1;
    web::forms::TWFLabel* WFLabel3;
    web::forms::TWFEdit* WFEdit1;
    web::forms::TWFLink* WFLink1;
    web::forms::TWFLabel* WFLabel4;
    web::forms::TWFRegion* WFRegion2;
    web::forms::TWFGrid* WFGrid1;
    web::forms::TWFLabel* WFLabel2;
    web::forms::TWFMemo* WFMemo1;
    web::forms::TWFLabel* WFLabel9;
    web::forms::TWFRadioGroup* WFRadioGroup1;
    web::forms::TWFRegion* WFRegion4;
    web::forms::TWFCheckBox* xA;
    web::forms::TWFCheckBox* xB;
    web::forms::TWFCheckBox* xC;
    web::forms::TWFCheckBox* xD;
    web::forms::TWFCheckBox* xE;
    web::forms::TWFCheckBox* xF;
    web::forms::TWFButton* WFButton1;
    web::forms::TWFButton* WFButton2;
    web::forms::TWFButton* WFButton4;
    web::forms::TWFLabel* WFLabel8;
    web::forms::TWFRegion* dqjlcol;
    web::forms::TWFLabel* WFLabel5;
    web::forms::TWFRegion* ydcol;
    web::forms::TWFLabel* WFLabel6;
    web::forms::TWFRegion* weidacol;
    web::forms::TWFLabel* WFLabel7;
    web::forms::TWFLabel* WFLabel10;
    // "第 n / N 题" beside the question's type.
    web::forms::TWFLabel* WFLabel11;
    // "剩余时间 mm:ss", shown for an exam with a time limit; the page's script counts it down.
    web::forms::TWFLabel* WFLabel12;

    const AnswerSheet& sheet() const { return sheet_; }

    // Once the exam's time is up (and its grace has passed) no posted value counts: the
    // paper is handed in as it stood, whatever the post asked for.
    void ProcessSubmit(const web::FieldList& params) override;
    void RenderHTML(std::ostream& out, web::TWFApplication& session) override;
    // A page closed or stopped in the browser is handed in at its next keep-alive.
    bool keepAliveDue() const override;
    void keepAlive() override;

    // Shows the current question as stored and the answer saved for it; recolours the
    // navigator.
    void xsxt();
    // Saves the answer shown on the page as the current question's answer; whether it
    // changed.
    bool dasave();

private:
    void createControls();
    void createHeading();
    void createName();
    void createNavigator();
    void createQuestion();
    void createButtons();
    void createLegend();
    void WFAppFormCreate();
    // Shows the heading and switches of the sheet's exam; false when the exam is gone.
    bool showExam();
    void addNavigatorRow(int row, const std::string& text);

    void WFButton1Click(web::forms::TWFControl& sender);
    void WFButton2Click(web::forms::TWFControl& sender);
    void WFGrid1CellClick(web::forms::TWFControl& sender, int row, int column);
    void WFLink1Click(web::forms::TWFControl& sender);
    void WFLink2Click(web::forms::TWFControl& sender);
    void WFButton4Click(web::forms::TWFControl& sender);

    web::forms::TWFCheckBox* box(int k) const;
    std::shared_ptr<const ShownQuestion> readQuestion(const std::string& id);
    void showOptions(const std::string& type, const std::string& options);
    void colourNavigator();
    void showProgress();
    // What changed since the sheet was last handed to the autosave: an answer, the name or
    // the paper's state, which the save must have committed before the reply; or only the
    // question shown, which may follow with the session's next save.
    enum class Change { Answer, Move };
    // Hands the sheet, with the name as typed, to the autosave. A move with a changed
    // name counts as a change of answer.
    void autosave(Change change = Change::Answer);
    // Stores the paper and its score in one transaction; false when a paper of this
    // exam, name and tag exists already.
    bool storePaper(const std::string& name, bool automatic = false);
    // Hands the paper in because the time ran out: under the typed name, or a made-up
    // one when there is none or it is taken, then shows the completion page.
    void handInAutomatically();
    void finishHandIn(const std::string& name);
    void showTimeLimit(std::int64_t minutes);
    void updateScript();

    AnswerSheet sheet_;
    // The kind of the question shown, which decides how its answer is read.
    AnswerKind shownKind_ = AnswerKind::OneLetter;
    // The exam's time limit in minutes as read when the page was made (0: none).
    std::int64_t limitMinutes_ = 0;
};

// A saved paper that names an exam or a question that no longer exists.
class ESheetOutdated : public std::runtime_error {
public:
    ESheetOutdated()
        : std::runtime_error("The saved paper names an exam or a question that no longer exists.") {}
};

}  // namespace exam
