#include "app/pages/exam/ExamPageScript.h"

namespace exam {
namespace {

// Works on the controls as the page writes them: the radio inputs of WFRADIOGROUP1, the
// check boxes X?_CHECKBOX (hidden ones do not count), the hand-in button WFBUTTON4 and
// the label WFLABEL12. The page's own script comes before the runtime's script files, so
// the hand-in question is hooked into SubmitClickConfirm once the page has loaded.
constexpr const char* kFunctions = R"JS(function examShownAnswered(){
 var inputs=document.getElementsByTagName("input");
 for(var i=0;i<inputs.length;i++){
  var e=inputs[i];
  if(!e.checked)continue;
  if(GExamLetters){if(/^X[A-F]_CHECKBOX$/.test(e.name)&&e.offsetParent!==null)return true;}
  else if(e.type=="radio"&&e.id.indexOf("WFRADIOGROUP1_")==0)return true;
 }
 return false;
}
function examUnanswered(){
 var list=[];
 for(var i=0;i<GExamAnswered.length;i++){
  var done=i==GExamCurrent?examShownAnswered():GExamAnswered[i];
  if(!done)list.push(i+1);
 }
 return list;
}
function examHandInQuestion(text){
 var list=examUnanswered();
 if(list.length==0)return text;
 return "您还有 "+list.length+" 道题未作答（第 "+list.join("、")+" 题），确定要交卷吗？";
}
function examHook(){
 if(typeof SubmitClickConfirm!="function"||SubmitClickConfirm.examHooked)return;
 var submit=SubmitClickConfirm;
 SubmitClickConfirm=function(name,param,validate,confirmation){
  if(name=="WFBUTTON4"&&confirmation)confirmation=examHandInQuestion(confirmation);
  return submit(name,param,validate,confirmation);
 };
 SubmitClickConfirm.examHooked=true;
}
if(window.addEventListener)window.addEventListener("load",examHook,false);
else if(window.attachEvent)window.attachEvent("onload",examHook);)JS";

constexpr const char* kCountdown = R"JS(var GExamEnd=new Date().getTime()+GExamLeft*1000;
var GExamHandingIn=false;
function examTwo(n){return (n<10?"0":"")+n;}
function examWarned(){try{return sessionStorage.getItem("examWarned"+GAppID)=="1";}catch(e){return false;}}
function examSetWarned(){try{sessionStorage.setItem("examWarned"+GAppID,"1");}catch(e){}}
function examTick(){
 var left=Math.max(0,Math.ceil((GExamEnd-new Date().getTime())/1000));
 var label=document.getElementById("WFLABEL12");
 if(label)label.innerHTML="剩余时间 "+examTwo(Math.floor(left/60))+":"+examTwo(left%60);
 if(left<=0){
  if(GExamHandingIn||GSubmitting||(typeof IsLocked=="function"&&IsLocked()))return;
  GExamHandingIn=true;
  SubmitClick("WFBUTTON4","",false);
  return;
 }
 if(GExamWarn&&left<=GExamWarnAt&&!examWarned()){
  examSetWarned();
  alert("距离考试结束还有5分钟，请抓紧时间！");
 }
}
var GExamClock=setInterval(examTick,500);)JS";

std::string flags(const std::vector<bool>& values) {
    std::string text = "[";
    for (std::size_t i = 0; i < values.size(); ++i)
        text += std::string(i > 0 ? "," : "") + (values[i] ? "1" : "0");
    return text + "]";
}

}  // namespace

std::vector<std::string> ExamPageScript(const ExamPageState& state) {
    std::vector<std::string> lines;
    lines.push_back("var GExamAnswered=" + flags(state.answered) +
                    ";var GExamCurrent=" + std::to_string(state.current) +
                    ";var GExamLetters=" + (state.shownKind == AnswerKind::Letters ? "true" : "false") + ";");
    lines.emplace_back(kFunctions);
    if (state.secondsLeft >= 0) {
        lines.push_back("var GExamLeft=" + std::to_string(state.secondsLeft) +
                        ";var GExamWarnAt=" + std::to_string(state.warnAtSeconds) +
                        ";var GExamWarn=" + (state.warn ? "true" : "false") + ";");
        lines.emplace_back(kCountdown);
    }
    return lines;
}

}  // namespace exam
