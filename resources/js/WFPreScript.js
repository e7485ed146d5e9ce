// The locker: a transparent cover over the page while it loads and while a submit is
// on its way, so that no second click reaches the server.
var GLocked = true;

function ReleaseLock() {
  var locker = document.getElementById("locker");
  if (locker) locker.style.display = "none";
  GLocked = false;
}

function ActivateLock() {
  var locker = document.getElementById("locker");
  if (locker) locker.style.display = "";
  GLocked = true;
}

function IsLocked() {
  return GLocked;
}
