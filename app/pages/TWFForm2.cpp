#include "app/pages/TWFForm2.h"

#include "app/PageFrames.h"

namespace exam {

TWFForm2::TWFForm2() : TWFAppForm("WFForm2", "TWFForm2", 1000, 679) {
    ApplyExamPageSettings(*this, "首页---栎川考试系统");
}

}  // namespace exam
