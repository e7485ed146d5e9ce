#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/exam/AnswerSheet.h"

namespace exam {

// What the exam page's script needs of one rendering.
struct ExamPageState {
    // Seconds until the deadline at rendering; -1 for an exam without a time limit.
    std::int64_t secondsLeft = -1;
    // The one warning comes when this many seconds are left, if `warn` (the exam is longer).
    std::int64_t warnAtSeconds = 0;
    bool warn = false;
    // Per question in display order: answered as the server holds it.
    std::vector<bool> answered;
    // The question shown; its state is read from the page instead.
    int current = 0;
    AnswerKind shownKind = AnswerKind::OneLetter;
};

// The lines of the exam page's own script: the question asked before the hand-in, which
// names the unanswered questions, and for a time limit the countdown from the server's
// deadline, the five-minute warning (once per browser tab) and the automatic hand-in.
std::vector<std::string> ExamPageScript(const ExamPageState& state);

}  // namespace exam
