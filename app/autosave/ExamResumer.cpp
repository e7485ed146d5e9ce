#include "app/autosave/ExamResumer.h"


#include "app/PageQueries.h"
#include "app/TWFUserSession.h"
#include "app/pages/exam/TWFForm5.h"
#include "web/server/session/SessionTable.h"

namespace exam {
namespace {

// Whether the paper the sheet was being handed in as is stored: under its name and the
// exam's tag of now or of when the page was opened.
bool paperStored(TWFUserSession& session, const AnswerSheet& sheet) {
    db::Query& tem = session.tem;
    OpenStatement(tem, "select 考试标识 from test where id=?", {sheet.examId()});
    const std::string tag = tem.FieldByName("考试标识").AsString();
    for (const std::string& candidateTag : {tag, sheet.examTag()}) {
        OpenStatement(tem, "select 1 from cj where testid=? and 姓名=?and 考试标识=?",
                      {sheet.examId(), TrimmedName(sheet.name()), candidateTag});
        if (!tem.IsEmpty()) return true;
    }
    return false;
}

// Ids the server never issues are not looked up.
bool plausibleId(const std::string& id) {
    return !id.empty() && id.size() <= 64;
}

}  // namespace

std::unique_ptr<web::TWFApplication> ExamResumer::resume(const std::string& sessionId, web::TWFSessionStart start) {
    if (!plausibleId(sessionId)) return nullptr;
    // Track numbers restart: the browser's pending post carries an older one, so it only
    // shows the restored page and is not replayed.
    start.sessionID = sessionId;
    start.trackID = 0;
    std::optional<AnswerSheet> sheet = autosave_.load(sessionId);
    if (!sheet) return nullptr;

    auto session = std::make_unique<web::TWFApplication>(start);
    bool shown = false;
    {
        web::CurrentSessionScope current(session.get());
        std::unique_ptr<web::IWFForm> unused;
        WFServerControllerBaseNewSession(*session, unused);
        TWFUserSession& user = UserSession();
        user.ExamId = sheet->examId();
        if (sheet->handingIn() && paperStored(user, *sheet)) {
            autosave_.remove(sessionId);
        } else {
            sheet->setHandingIn(false);
            try {
                session->FormShown(session->AdoptForm(std::make_unique<TWFForm5>(*sheet)));
                session->ShowMessage(kResumedMessage);
                shown = true;
            } catch (const ESheetOutdated&) {
                autosave_.remove(sessionId);
            }
        }
    }
    if (!shown) {
        web::FreeSession(std::move(session));
        return nullptr;
    }
    return session;
}

}  // namespace exam
