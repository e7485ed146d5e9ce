#include "app/pages/TWFForm1.h"

#include "app/PageFrames.h"

namespace exam {

TWFForm1::TWFForm1() : TWFAppForm("WFForm1", "TWFForm1", 1000, 679) {
    ApplyExamPageSettings(*this, "登录管理平台---栎川考试系统");
}

}  // namespace exam
