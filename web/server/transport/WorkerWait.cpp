#include "web/server/transport/WorkerWait.h"

namespace web {
namespace {

thread_local WorkerWaitListener* tListener = nullptr;
thread_local int tDepth = 0;

}  // namespace

WorkerWait::WorkerWait(Resume resume) : resume_(resume) {
    if (tDepth++ == 0 && tListener != nullptr) tListener->BeginWait();
}

WorkerWait::~WorkerWait() {
    if (--tDepth == 0 && tListener != nullptr) tListener->EndWait(resume_ == Resume::InTurn);
}

void WorkerWait::SetListener(WorkerWaitListener* listener) {
    tListener = listener;
}

}  // namespace web
