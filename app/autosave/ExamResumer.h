#pragma once

#include "app/autosave/Autosave.h"
#include "web/server/session/SessionResumer.h"

namespace exam {

// Brings an exam page back from its autosaved sheet: the session gets its data object, the
// exam page shows the saved order, answers, question and name, and the candidate is told.
// A sheet whose exam or questions are gone, or whose paper was stored already, is removed
// and nothing is resumed.
class ExamResumer final : public web::SessionResumer {
public:
    explicit ExamResumer(Autosave& autosave) : autosave_(autosave) {}

    std::unique_ptr<web::TWFApplication> resume(const std::string& sessionId, web::TWFSessionStart start) override;

private:
    Autosave& autosave_;
};

}  // namespace exam
