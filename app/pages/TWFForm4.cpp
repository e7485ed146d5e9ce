#include "app/pages/TWFForm4.h"

#include "app/PageFrames.h"

namespace exam {

TWFForm4::TWFForm4() : TWFAppForm("WFForm4", "TWFForm4", 1000, 679) {
    ApplyExamPageSettings(*this, "考试设置---栎川考试系统");
}

}  // namespace exam
