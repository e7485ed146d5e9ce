#include "app/pages/TWFForm7.h"

#include "app/PageFrames.h"

namespace exam {

TWFForm7::TWFForm7() : TWFAppForm("WFForm7", "TWFForm7", 1000, 679) {
    ApplyExamPageSettings(*this, "交卷完成---栎川考试系统");
}

}  // namespace exam
