#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/exam/QuestionBank.h"
#include "app/library/RemoteConnection.h"

namespace exam::db {
class Database;
}

namespace exam::library {

// One question of a shared exam as the library returns it.
struct SharedQuestion {
    std::string id;
    QuestionRow row;
};

// The rows of "select * from zxtm …" in the order returned; NULL reads as empty text or 0.
std::vector<SharedQuestion> ReadSharedQuestions(const RemoteResult& rows);

// The local question editor's rules for stored rows: one of the three types and at most
// six options. Returns the refusal naming the first question that breaks them, empty
// when every question may be copied.
std::string CheckSharedQuestions(const std::vector<SharedQuestion>& questions);

struct PublishSettings {
    // Days, counted from publishing, during which a copy needs the application password.
    int closedDays = 0;
    std::string applicationPassword;
    std::string managementPassword;
};

// Sends the local exam `examId` of `local` and its questions (in their local order) to
// the library through newtest and newtm, all or nothing, and returns the exam's number
// there. Raises std::runtime_error when the exam does not exist, RemoteError when the
// library fails.
int PublishExam(db::Database& local, RemoteConnection& library, std::int64_t examId,
                const PublishSettings& settings);

// Withdraws the shared exam `number` with its questions through deltest; false when the
// library has no such exam.
bool WithdrawExam(RemoteConnection& library, int number);

}  // namespace exam::library
