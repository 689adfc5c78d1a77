// What the parts of the page share: the core (qel.wasm), the interface state it last reported,
// the text height of its layout, and the page's elements.
export const shell = {
  M: null,           // the core
  ui: null,          // toolbars, title, cursor, menu and pending request, as the core last reported them
  layoutHeight: 0,   // the text height of the current layout
  dialogTitle: "",   // the title the camera dialog gives the window while it is open
  update: null,      // shows what the core changed (page.js)
  start: null,       // starts the core with a settings text; whether it was Qel's (page.js)
  busy: null,        // a press, a menu or the dialog is under way (page.js)
};

export const page = document.getElementById("window");
export const canvas = document.getElementById("scales");
/// The zones over the scales where two fingers zoom a column; pointer input there is the canvas's.
export const zones = document.getElementById("zones");
