#include "app/pages/TWFForm6.h"

#include "app/PageFrames.h"

namespace exam {

TWFForm6::TWFForm6() : TWFAppForm("WFForm6", "TWFForm6", 1000, 679) {
    ApplyExamPageSettings(*this, "考试成绩及统计---栎川考试系统");
}

}  // namespace exam
