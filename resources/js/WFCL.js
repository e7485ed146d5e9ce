// Client layout: every control has a layout object with its design rectangle, align
// and anchors. When the window changes size, each container lays its children out so
// that anchored sides follow the container's edges and unanchored controls keep their
// proportional place (the 980-pixel content stays centred).
var alNone = "alNone", alTop = "alTop", alBottom = "alBottom", alLeft = "alLeft", alRight = "alRight",
    alClient = "alClient";
var WFCLForm = null;
var GResizeTimer = null;
// How much taller the page became for controls that grew with their content.
var GGrownHeight = 0;

function CreateAnchors(left, right, top, bottom) {
  this.left = left;
  this.right = right;
  this.top = top;
  this.bottom = bottom;
}

function WFCLObject(owner, elem, name) {
  this.owner = owner;
  this.elem = elem;
  this.name = name;
  this.align = alNone;
  this.anchors = new CreateAnchors(true, false, true, false);
  this.design = { left: elem.offsetLeft, top: elem.offsetTop, width: elem.offsetWidth, height: elem.offsetHeight };
  this.children = [];
  this.handlers = {};
  this.BorderWidthPixels = 0;
}

WFCLObject.prototype.SetAlign = function (align) { this.align = align; };
WFCLObject.prototype.SetAnchors = function (anchors) { this.anchors = anchors; };

// Handlers of one event run in registration order; the first returning false ends it.
WFCLObject.prototype.HookEvent = function (eventName, handler) {
  var list = this.handlers[eventName];
  if (!list) {
    list = this.handlers[eventName] = [];
    this.elem["on" + eventName] = function (event) {
      for (var i = 0; i < list.length; i++) {
        if (list[i].call(this, event) === false) return false;
      }
      return true;
    };
  }
  list.push(handler);
};

function StaticInit() {}

function InitRects(width, height) {
  ReleaseWFCL();
  SetBusy(false);
  WFCLForm = { design: { left: 0, top: 0, width: width, height: height }, children: [], isForm: true };
}

function CreateWFCLObject(owner, id, variableName) {
  var elem = document.getElementById(id);
  if (!elem || !owner) return null;
  var layout = new WFCLObject(owner, elem, variableName);
  owner.children.push(layout);
  return layout;
}

function SetVisibility(layout, visible) {
  if (layout) layout.elem.style.visibility = visible ? "inherit" : "hidden";
}

function ReleaseWFCL() {
  WFCLForm = null;
  GGrownHeight = 0;
}

// A control laid out `height` pixels tall whose content needs more: it keeps its full
// height, and everything below it moves down by the difference.
function GrowToContent(layout, height) {
  if (!layout) return;
  var elem = layout.elem;
  var overflow = Math.max(0, elem.scrollHeight - elem.clientHeight);
  if (overflow > 0) elem.style.height = (contentHeight(elem) + overflow) + "px";
  var extra = elem.offsetHeight - height;
  if (extra <= 0) return;
  layout.design.height = elem.offsetHeight;
  pushDown(layout.owner, layout, layout.design.top + height, extra);
}

function contentHeight(elem) {
  if (window.getComputedStyle) return parseFloat(window.getComputedStyle(elem, null).height) || 0;
  return elem.clientHeight;
}

// Moves the children of `container` that start at or below `from` down by `extra` and
// grows the container by as much, up to the page.
function pushDown(container, grown, from, extra) {
  for (var i = 0; i < container.children.length; i++) {
    var child = container.children[i];
    if (child === grown || child.design.top < from) continue;
    child.design.top += extra;
    child.elem.style.top = child.design.top + "px";
  }
  if (container.isForm) {
    container.design.height += extra;
    GGrownHeight += extra;
    return;
  }
  var d = container.design;
  var bottom = d.top + d.height;
  container.elem.style.height = (contentHeight(container.elem) + extra) + "px";
  d.height += extra;
  container.elem.style.clip = "rect(0px," + d.width + "px," + d.height + "px,0px)";
  pushDown(container.owner, container, bottom, extra);
}

// One axis of an anchored child: its new start and length in a container whose length
// changed from designLength to newLength.
function placeOnAxis(start, length, designLength, newLength, nearAnchor, farAnchor) {
  var change = newLength - designLength;
  if (nearAnchor && farAnchor) return { start: start, length: Math.max(0, length + change) };
  if (farAnchor) return { start: start + change, length: length };
  if (nearAnchor) return { start: start, length: length };
  var centre = designLength > 0 ? (start + length / 2) * newLength / designLength : start + length / 2;
  return { start: Math.round(centre - length / 2), length: length };
}

function layoutChildren(container, width, height) {
  for (var i = 0; i < container.children.length; i++) {
    var child = container.children[i];
    var d = child.design;
    var a = child.anchors;
    var x = placeOnAxis(d.left, d.width, container.design.width, width, a.left, a.right);
    var y = placeOnAxis(d.top, d.height, container.design.height, height, a.top, a.bottom);
    child.elem.style.left = x.start + "px";
    child.elem.style.top = y.start + "px";
    if (a.left && a.right) child.elem.style.width = x.length + "px";
    if (a.top && a.bottom) child.elem.style.height = y.length + "px";
    if (child.children.length > 0) {
      child.elem.style.clip = "rect(0px," + x.length + "px," + y.length + "px,0px)";
      layoutChildren(child, x.length - 2 * child.BorderWidthPixels, y.length - 2 * child.BorderWidthPixels);
    }
  }
}

function layoutPage(width, height) {
  if (!WFCLForm) return;
  width = Math.max(width, WFCLForm.design.width);
  height = Math.max(height, WFCLForm.design.height);
  layoutChildren(WFCLForm, width, height);
  var form = document.forms["SubmitForm"];
  if (form && form.elements["WF_width"]) {
    // The server lays the page out for the window; the grown part is not the window's.
    form.elements["WF_width"].value = width;
    form.elements["WF_height"].value = height - GGrownHeight;
  }
}

function Body_OnResize() {
  if (GResizeTimer) clearTimeout(GResizeTimer);
  GResizeTimer = setTimeout(function () {
    layoutPage(document.documentElement.clientWidth, document.documentElement.clientHeight);
    setTimeout(function () {
      var root = document.documentElement;
      layoutPage(Math.max(root.clientWidth, root.scrollWidth), Math.max(root.clientHeight, root.scrollHeight));
    }, 20);
  }, 50);
  return true;
}
