// The About box and the error box (messages shown one after another, then what follows them).
import { shell } from "./shell.js";

export const about = document.getElementById("about");
export function showAbout() {
  about.hidden = false;
  document.getElementById("about-ok").focus();
}
export function closeAbout() {
  about.hidden = true;
  shell.M._qel_pending_done();
  shell.update();
}
document.getElementById("about-ok").addEventListener("click", closeAbout);

export const errorBox = document.getElementById("error");
let errorQueue = [];
let afterErrors = null;
export function showErrors(messages, then) {
  errorQueue = messages.slice();
  afterErrors = then;
  nextError();
}
export function nextError() {
  if (errorQueue.length === 0) {
    errorBox.hidden = true;
    const then = afterErrors;
    afterErrors = null;
    if (then) then();
    return;
  }
  document.getElementById("error-text").textContent = errorQueue.shift();
  errorBox.hidden = false;
  document.getElementById("error-ok").focus();
}
document.getElementById("error-ok").addEventListener("click", nextError);

// A question with Yes and No (the camera dialog's "Delete camera ...?"); Enter takes the focused
// button, Escape is No.
export const questionBox = document.getElementById("question");
let answered = null;
export function ask(text) {
  document.getElementById("question-text").textContent = text;
  questionBox.hidden = false;
  document.getElementById("question-yes").focus();
  return new Promise((resolve) => { answered = resolve; });
}
export function answer(yes) {
  questionBox.hidden = true;
  const then = answered;
  answered = null;
  if (then) then(yes);
}
document.getElementById("question-yes").addEventListener("click", () => answer(true));
document.getElementById("question-no").addEventListener("click", () => answer(false));

/// Tab and Shift+Tab go round the enabled controls of `box` and never leave it.
export function keepTabIn(box, e) {
  const stops = [...box.querySelectorAll("button, input, select, textarea, [tabindex]")]
    .filter((n) => !n.disabled && n.tabIndex >= 0 && n.getClientRects().length > 0);
  if (stops.length === 0) return;
  e.preventDefault();
  const at = stops.indexOf(document.activeElement);
  const next = at < 0 ? (e.shiftKey ? stops.length - 1 : 0) : (at + (e.shiftKey ? stops.length - 1 : 1)) % stops.length;
  stops[next].focus();
}
