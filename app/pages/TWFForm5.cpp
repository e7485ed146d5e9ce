#include "app/pages/TWFForm5.h"

#include "app/PageFrames.h"

namespace exam {

TWFForm5::TWFForm5() : TWFAppForm("WFForm5", "TWFForm5", 1000, 679) {
    ApplyExamPageSettings(*this, "考试页面---栎川考试系统");
}

}  // namespace exam
