// Submitting a page: the values of the page's inputs are copied into SubmitForm together
// with the control that fired and its parameter, and SubmitForm is posted once.
var GSubmitting = false;
var GSubmitter = null;
var GActivateLock = true;
var ValidClick = true;

window.onerror = function () {
  GSubmitting = false;
  return false;
};

function InitSubmitter() {
  GSubmitter = document.forms["SubmitForm"] || null;
  return GSubmitter;
}

// An element of that name outside SubmitForm, else the element with that id (a radio
// button is found by its own id, its name being the group's).
function FindElem(name) {
  var found = document.getElementsByName(name);
  for (var i = 0; i < found.length; i++) {
    if (!found[i].form || found[i].form.name !== "SubmitForm") return found[i];
  }
  return document.getElementById(name);
}

function FindFocus(id) {
  return document.getElementById(id);
}

// Calls fn for every element of that name outside SubmitForm (radio buttons share one).
function LocateInputElement(name, fn) {
  var found = document.getElementsByName(name);
  for (var i = 0; i < found.length; i++) {
    var form = found[i].form;
    if (form && (form.name === "SubmitForm" || form.name === "HiddenSubmitForm")) continue;
    fn(found[i]);
  }
}

function selectedValues(select) {
  var values = [];
  for (var i = 0; i < select.options.length; i++) {
    if (select.options[i].selected) values.push(select.options[i].value);
  }
  return values;
}

function ProcessElement(elem) {
  if (!elem || !elem.name || !GSubmitter) return;
  var target = GSubmitter.elements[elem.name];
  if (!target || target.length !== undefined && !target.tagName) return;
  var type = (elem.type || "").toLowerCase();
  if (type === "button" || type === "submit" || type === "reset") return;
  if (type === "select-one") {
    target.value = elem.selectedIndex < 0 ? "-1" : elem.options[elem.selectedIndex].value;
  } else if (type === "select-multiple") {
    var values = selectedValues(elem);
    target.value = values.length === 0 ? "-1" : values[0] + "," + values.join(",") + ",";
  } else if (type === "checkbox") {
    target.value = elem.checked ? "on" : "off";
  } else if (type === "radio") {
    if (elem.checked) target.value = elem.value;
  } else {
    target.value = elem.value;
  }
}

function copyPageValues() {
  var forms = document.forms;
  for (var f = 0; f < forms.length; f++) {
    if (forms[f].name === "SubmitForm" || forms[f].name === "HiddenSubmitForm") continue;
    for (var e = 0; e < forms[f].elements.length; e++) ProcessElement(forms[f].elements[e]);
  }
}

function dropVanishedFields() {
  for (var i = GSubmitter.elements.length - 1; i >= 0; i--) {
    var field = GSubmitter.elements[i];
    if (field.type === "hidden") continue;
    if (document.getElementsByName(field.name).length <= 1) field.parentNode.removeChild(field);
  }
}

function SubmitClick(name, param, validate) {
  if (GSubmitting) return false;
  GSubmitting = true;
  GActiveControl = document.activeElement ? document.activeElement.id : null;
  if (!InitSubmitter()) {
    GSubmitting = false;
    return false;
  }
  dropVanishedFields();
  copyPageValues();
  if (validate && typeof Validate === "function" && !Validate()) {
    GSubmitting = false;
    return true;
  }
  SetBusy(true);
  GSubmitter.elements["WF_Action"].value = name;
  GSubmitter.elements["WF_ActionParam"].value = param;
  GSubmitter.submit();
  return true;
}

function SubmitClickConfirm(name, param, validate, confirmation) {
  if (IsLocked()) return false;
  if (!confirmation) {
    if (GActivateLock) ActivateLock();
    SubmitClick(name, param, validate);
    return false;
  }
  if (GSubmitting) return false;
  if (!window.confirm(confirmation)) return true;
  if (GActivateLock) ActivateLock();
  SubmitClick(name, param, validate);
  return false;
}

// The forms around the controls never post by themselves (Enter in a lone text field):
// every post goes through SubmitForm.
function FormDefaultSubmit() {
  return false;
}

function CheckReturnKey(keyCode, name, validate) {
  if (keyCode !== 13) return true;
  SubmitClick(name, "", validate);
  return false;
}

function SetBusy(busy) {
  var cursor = document.getElementById("bussyCursor");
  if (!cursor) return;
  cursor.style.visibility = busy ? "visible" : "hidden";
  cursor.style.display = busy ? "" : "none";
}

function Status(text) {
  window.status = text;
  return true;
}

// A mouse-down on an image posts the position inside the image as "x,y".
function ImageClick(name, event, validate, confirmation) {
  var e = event || window.event;
  var x = Math.round(e.offsetX), y = Math.round(e.offsetY);
  return SubmitClickConfirm(name, x + "," + y, validate, confirmation);
}
