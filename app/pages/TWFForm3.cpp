#include "app/pages/TWFForm3.h"

#include "app/PageFrames.h"

namespace exam {

TWFForm3::TWFForm3() : TWFAppForm("WFForm3", "TWFForm3", 1000, 679) {
    ApplyExamPageSettings(*this, "考试列表---栎川考试系统");
}

}  // namespace exam
