// Qel in the browser: the page around the core. It hands pointer, touch and key events to the
// core, replays the core's drawing calls on the canvas with Windows' pixel rules, shows the
// toolbars, menus, popup help, About box and camera dialog the core asks for, and keeps the
// settings text in localStorage exactly as Qel.txt holds it.
"use strict";

(() => {
  const STORE = "qel-settings";
  const BACKUP = "qel-settings-backup";
  const OPEN_ITEM = -1;  // the page's own items of the help menu
  const SAVE_ITEM = -2;
  const BUTTON_PITCH = 27;

  const page = document.getElementById("window");
  const canvas = document.getElementById("scales");
  const ctx = canvas.getContext("2d", { alpha: false });
  const toolbarsBox = document.getElementById("toolbars");
  const help = document.getElementById("popup-help");
  const menuBox = document.getElementById("menu");
  let M = null;  // the core
  const fieldCard = import("./field_card.js");  // loaded ahead, so that a card opens at once

  // ---- Text: Carlito has Calibri's metrics; a text height is the font's cell height. ---------
  const measurer = document.createElement("canvas").getContext("2d");
  let cellRatio = 1.2207;    // cell height over em size
  let ascentRatio = 0.9521;  // ascent over em size
  const widths = new Map();

  function measureFont() {
    measurer.font = "100px Carlito";
    const m = measurer.measureText("Hg");
    if (m.fontBoundingBoxAscent > 0) {
      cellRatio = (m.fontBoundingBoxAscent + m.fontBoundingBoxDescent) / 100;
      ascentRatio = m.fontBoundingBoxAscent / 100;
    }
  }
  const cell = (h) => (h > 0 ? h : 16);
  const fontOf = (h) => `${cell(h) / cellRatio}px Carlito`;
  const ascent = (h) => Math.round((cell(h) / cellRatio) * ascentRatio);

  function textWidth(h, text) {
    const key = `${h}|${text}`;
    let w = widths.get(key);
    if (w === undefined) {
      measurer.font = fontOf(h);
      w = Math.round(measurer.measureText(text).width);
      if (widths.size > 20000) widths.clear();
      widths.set(key, w);
    }
    return w;
  }

  // ---- Drawing: the core's calls with GDI's rules (end points and right/bottom edges excluded).
  const colours = new Map();
  function colour(c) {
    let s = colours.get(c);
    if (!s) {
      s = `#${(c >>> 0).toString(16).padStart(6, "0")}`;
      colours.set(c, s);
    }
    return s;
  }

  // Setting a style or a font is costly: each is set only when it changes.
  let fill = -1;
  let font = "";
  function setFill(c) {
    if (c !== fill) {
      ctx.fillStyle = colour(c);
      fill = c;
    }
  }
  function setFont(f) {
    if (f !== font) {
      ctx.font = f;
      font = f;
    }
  }

  function line(x1, y1, x2, y2, c) {
    setFill(c);
    if (y1 === y2) {
      if (x2 > x1) ctx.fillRect(x1, y1, x2 - x1, 1);
      else if (x2 < x1) ctx.fillRect(x2 + 1, y1, x1 - x2, 1);
      return;
    }
    if (x1 === x2) {
      if (y2 > y1) ctx.fillRect(x1, y1, 1, y2 - y1);
      else ctx.fillRect(x1, y2 + 1, 1, y1 - y2);
      return;
    }
    // Bresenham, without the end point.
    const dx = Math.abs(x2 - x1), dy = Math.abs(y2 - y1);
    const sx = x2 > x1 ? 1 : -1, sy = y2 > y1 ? 1 : -1;
    let err = dx - dy, x = x1, y = y1;
    while (x !== x2 || y !== y2) {
      ctx.fillRect(x, y, 1, 1);
      const e2 = 2 * err;
      if (e2 > -dy) { err -= dy; x += sx; }
      if (e2 < dx) { err += dx; y += sy; }
    }
  }

  const strip = document.createElement("canvas");
  const stripCtx = strip.getContext("2d");
  let stripData = null;

  function image(x, y, w, h, index, stride) {
    if (w <= 0 || h <= 0) return;
    const source = M._qel_image(index);
    if (!source) return;
    if (strip.width !== w || strip.height !== h || !stripData) {
      strip.width = w;
      strip.height = h;
      stripData = stripCtx.createImageData(w, h);
    }
    // Blue, green, red rows into opaque RGBA pixels, one 32-bit word each (little-endian).
    const heap = M.HEAPU8, out = new Uint32Array(stripData.data.buffer);
    for (let row = 0, d = 0; row < h; ++row) {
      for (let s = source + row * stride, end = s + 3 * w; s < end; s += 3, ++d) {
        out[d] = 0xff000000 | (heap[s] << 16) | (heap[s + 1] << 8) | heap[s + 2];
      }
    }
    stripCtx.putImageData(stripData, 0, 0);
    ctx.imageSmoothingEnabled = false;
    ctx.drawImage(strip, x, y);
  }

  const fonts = new Map();
  function text(x, y, s, h, c) {
    let f = fonts.get(h);
    if (!f) {
      f = { font: fontOf(h), ascent: ascent(h) };
      fonts.set(h, f);
    }
    setFont(f.font);
    setFill(c);
    ctx.fillText(s, x, y + f.ascent);
  }

  let layoutHeight = 0;

  let firstPaint = 0;

  function paint() {
    const count = M._qel_paint();
    const ops = new Int32Array(M.HEAP32.buffer, M._qel_ops(), count);
    const texts = M._qel_texts() >> 1;
    const str = (start, length) => String.fromCharCode.apply(null, M.HEAPU16.subarray(texts + start, texts + start + length));
    const dpr = window.devicePixelRatio || 1;
    ctx.setTransform(dpr, 0, 0, dpr, 0, 0);
    fill = -1;  // a restore, or a resize of the canvas, may have reset them
    font = "";
    ctx.textBaseline = "alphabetic";
    ctx.textAlign = "left";
    let clipped = false;
    for (let i = 0; i < count;) {
      switch (ops[i]) {
        case 1: {  // fill_rect: outline, then the inside
          const l = ops[i + 1], t = ops[i + 2], r = ops[i + 3], b = ops[i + 4];
          setFill(ops[i + 5]);
          ctx.fillRect(l, t, r - l, b - t);
          if (r - l > 2 && b - t > 2 && ops[i + 6] !== ops[i + 5]) {
            setFill(ops[i + 6]);
            ctx.fillRect(l + 1, t + 1, r - l - 2, b - t - 2);
          }
          i += 7;
          break;
        }
        case 2:
          line(ops[i + 1], ops[i + 2], ops[i + 3], ops[i + 4], ops[i + 5]);
          i += 6;
          break;
        case 3: {  // triangle
          ctx.beginPath();
          ctx.moveTo(ops[i + 1] + 0.5, ops[i + 2] + 0.5);
          ctx.lineTo(ops[i + 3] + 0.5, ops[i + 4] + 0.5);
          ctx.lineTo(ops[i + 5] + 0.5, ops[i + 6] + 0.5);
          ctx.closePath();
          setFill(ops[i + 8]);
          ctx.fill();
          ctx.strokeStyle = colour(ops[i + 7]);
          ctx.lineWidth = 1;
          ctx.stroke();
          i += 9;
          break;
        }
        case 4:  // text at a point; the symbol font's infinity is the text font's
          text(ops[i + 1], ops[i + 2], str(ops[i + 5], ops[i + 6]).replace(/\uF0A5/g, "\u221E"), layoutHeight, ops[i + 4]);
          i += 7;
          break;
        case 5: {  // text at the top of a rectangle, clipped to it
          const [l, t, r, b, align, c, h] = [ops[i + 1], ops[i + 2], ops[i + 3], ops[i + 4], ops[i + 5], ops[i + 6], ops[i + 7]];
          const s = str(ops[i + 8], ops[i + 9]);
          const w = textWidth(h, s);
          const x = align === 1 ? l + Math.trunc((r - l - w) / 2) : align === 2 ? r - w : l;
          ctx.save();
          ctx.beginPath();
          ctx.rect(l, t, r - l, b - t);
          ctx.clip();
          text(x, t, s, h, c);
          ctx.restore();
          fill = -1;
          font = "";
          i += 10;
          break;
        }
        case 6:
          if (clipped) ctx.restore();
          fill = -1;
          font = "";
          ctx.save();
          ctx.beginPath();
          ctx.rect(ops[i + 1], ops[i + 2], ops[i + 3] - ops[i + 1], ops[i + 4] - ops[i + 2]);
          ctx.clip();
          clipped = true;
          i += 5;
          break;
        case 7:
          if (clipped) ctx.restore();
          fill = -1;
          font = "";
          clipped = false;
          i += 1;
          break;
        case 8:
          image(ops[i + 1], ops[i + 2], ops[i + 3], ops[i + 4], ops[i + 5], ops[i + 6]);
          i += 7;
          break;
        default:
          i = count;
      }
    }
    if (clipped) ctx.restore();
    if (!firstPaint) firstPaint = performance.now();
  }

  // ---- Frames and the interface state the core asks for. ----------------------------------------
  let frameQueued = false;
  let uiVersion = 0;
  let ui = null;

  /// Shows what the core changed; stores the settings a moment later unless `store` is false (pointer
  /// moves: a drag's values are stored once, at its release).
  function update(store = true) {
    if (M._qel_ui_version() !== uiVersion) {
      uiVersion = M._qel_ui_version();
      ui = JSON.parse(M.UTF8ToString(M._qel_ui()));
      showUi();
    }
    if (M._qel_needs_paint() && !frameQueued) {
      frameQueued = true;
      requestAnimationFrame(() => {
        frameQueued = false;
        paint();
      });
    }
    if (store) queueSave();
  }

  function resize() {
    const dpr = window.devicePixelRatio || 1;
    const width = Math.max(page.clientWidth, minimumWidth);
    const height = Math.max(page.clientHeight, 400);
    canvas.style.width = `${width}px`;
    canvas.style.height = `${height}px`;
    canvas.width = Math.round(width * dpr);
    canvas.height = Math.round(height * dpr);
    M._qel_resize(width, height);
    layoutHeight = M._qel_text_height();
    paint();  // at once, so that the layout's rows exist before the first press; no frame is queued
    update();
  }

  // ---- Toolbars and popup help. ------------------------------------------------------------------
  const toolbarNodes = new Map();
  let helpTimer = 0;

  function hideHelp() {
    clearTimeout(helpTimer);
    helpTimer = 0;
    help.hidden = true;
  }

  function buildToolbars() {
    for (const t of ui.toolbars) {
      const bar = document.createElement("div");
      bar.className = "toolbar";
      bar.dataset.toolbar = t.id;
      const rows = Math.ceil(t.buttons.length / t.columns);
      bar.style.width = `${t.columns * BUTTON_PITCH + 2}px`;
      bar.style.height = `${rows * BUTTON_PITCH + 2}px`;
      t.buttons.forEach((button, index) => {
        const img = document.createElement("img");
        img.style.left = `${(index % t.columns) * BUTTON_PITCH}px`;
        img.style.top = `${Math.floor(index / t.columns) * BUTTON_PITCH}px`;
        img.draggable = false;
        img.alt = button.help;
        img.dataset.button = index;
        img.addEventListener("pointerdown", (e) => {
          e.preventDefault();
          if (e.button !== 0) return;
          hideHelp();
          clickButton(t.id, index, img);
        });
        img.addEventListener("pointerenter", (e) => {
          if (e.pointerType !== "mouse") return;
          hideHelp();
          helpTimer = setTimeout(() => {
            help.textContent = img.alt;
            help.hidden = false;
            const line = cell(layoutHeight);
            const x = Math.min(e.clientX, window.innerWidth - help.offsetWidth - 2);
            help.style.left = `${Math.max(0, x)}px`;
            help.style.top = `${e.clientY + 2 * line}px`;
          }, 1000);
        });
        img.addEventListener("pointerleave", hideHelp);
        bar.appendChild(img);
      });
      toolbarsBox.appendChild(bar);
      toolbarNodes.set(t.id, bar);
    }
  }

  function showUi() {
    document.title = dialogTitle || ui.title;
    canvas.style.cursor = ui.cursor;
    if (toolbarNodes.size === 0) buildToolbars();
    for (const t of ui.toolbars) {
      const bar = toolbarNodes.get(t.id);
      bar.style.left = `${t.x}px`;
      bar.style.top = `${t.y}px`;
      bar.hidden = !t.shown;
      bar.style.display = t.shown ? "" : "none";
      t.buttons.forEach((b, i) => {
        const img = bar.children[i];
        const src = `pictures/${b.bitmap}.png`;
        if (img.getAttribute("src") !== src) img.setAttribute("src", src);
        img.alt = b.help;
        img.classList.toggle("pressed", b.pressed);
      });
    }
    if (ui.menu && menuBox.hidden) openMenu(ui.menu);
    switch (ui.pending) {
      case "about": showAbout(); break;
      case "camera-dialog": openCameraDialog(); break;
      case "quick-start": window.open("Qel Quick Start.pdf", "_blank"); M._qel_pending_done(); break;
      case "reference-manual": window.open("Qel Reference Manual.pdf", "_blank"); M._qel_pending_done(); break;
      case "field-card": {
        const card = M.UTF8ToString(M._qel_field_card());
        M._qel_pending_done();
        fieldCard.then((m) => m.showFieldCard(card));
        break;
      }
      default: break;
    }
  }

  function clickButton(toolbar, index, img) {
    openedBy = img || null;
    M._qel_toolbar_click(toolbar, index);
    update();
  }

  // ---- Popup menus. -------------------------------------------------------------------------------
  let openedBy = null;
  let menuItems = [];
  let active = -1;

  function label(node, text) {
    // "&" marks the next character as the item's key; "&&" is an "&".
    for (let i = 0; i < text.length; ++i) {
      if (text[i] === "&" && i + 1 < text.length) {
        ++i;
        if (text[i] !== "&") {
          const u = document.createElement("u");
          u.textContent = text[i];
          node.appendChild(u);
          continue;
        }
      }
      node.appendChild(document.createTextNode(text[i]));
    }
  }

  function openMenu(menu) {
    menuBox.textContent = "";
    menuItems = [];
    active = -1;
    const items = menu.items.slice();
    if (items.length && items[0].id === 4002) {  // the help menu also opens and saves settings files
      items.push({ id: 0 }, { id: OPEN_ITEM, label: "Open settings...", checked: false },
                 { id: SAVE_ITEM, label: "Save settings...", checked: false });
    }
    for (const item of items) {
      if (item.id === 0) {
        const sep = document.createElement("div");
        sep.className = "separator";
        menuBox.appendChild(sep);
        continue;
      }
      const node = document.createElement("div");
      node.className = "item" + (item.checked ? " checked" : "");
      node.setAttribute("role", "menuitem");
      const [name, key] = item.label.split("\t");
      const span = document.createElement("span");
      label(span, name);
      node.appendChild(span);
      if (key) {
        const k = document.createElement("span");
        k.className = "key";
        k.textContent = key;
        node.appendChild(k);
      }
      const index = menuItems.length;
      node.addEventListener("pointerenter", () => setActive(index));
      node.addEventListener("click", () => choose(item.id));
      menuBox.appendChild(node);
      menuItems.push({ id: item.id, node, key: mnemonic(name) });
    }
    const rect = canvas.getBoundingClientRect();
    menuBox.hidden = false;
    const x = Math.min(rect.left + menu.x, window.innerWidth - menuBox.offsetWidth - 2);
    let y = rect.top + menu.y;
    if (y + menuBox.offsetHeight > window.innerHeight) y = Math.max(0, window.innerHeight - menuBox.offsetHeight - 2);
    menuBox.style.left = `${Math.max(0, x)}px`;
    menuBox.style.top = `${y}px`;
  }

  function mnemonic(name) {
    const m = /&([^&])/.exec(name.replace(/&&/g, ""));
    return (m ? m[1] : name[0] || "").toLowerCase();
  }

  function setActive(index) {
    if (active >= 0 && menuItems[active]) menuItems[active].node.classList.remove("active");
    active = index;
    if (active >= 0 && menuItems[active]) {  // a pointer may still enter an item of a menu just closed
      menuItems[active].node.classList.add("active");
      menuItems[active].node.scrollIntoView({ block: "nearest" });
    }
  }

  function closeMenu() {
    menuBox.hidden = true;
    menuItems = [];
  }

  function choose(id) {
    closeMenu();
    if (id === OPEN_ITEM) {
      M._qel_menu(0);
      document.getElementById("open-file").click();
    } else if (id === SAVE_ITEM) {
      M._qel_menu(0);
      download();
    } else {
      M._qel_menu(id);
    }
    update();
  }

  function menuKey(e) {
    if (e.key === "Escape") choose(0);
    else if (e.key === "ArrowDown") setActive(active < 0 ? 0 : (active + 1) % menuItems.length);
    else if (e.key === "ArrowUp") setActive(active <= 0 ? menuItems.length - 1 : active - 1);
    else if (e.key === "Enter" && active >= 0) choose(menuItems[active].id);
    else if (e.key.length === 1) {
      const i = menuItems.findIndex((m) => m.key === e.key.toLowerCase());
      if (i >= 0) choose(menuItems[i].id);
    }
    e.preventDefault();
  }

  document.addEventListener("pointerdown", (e) => {
    if (!menuBox.hidden && !menuBox.contains(e.target) && e.target !== openedBy) choose(0);
  }, true);

  // ---- About box and error box. -----------------------------------------------------------------
  const about = document.getElementById("about");
  function showAbout() {
    about.hidden = false;
    document.getElementById("about-ok").focus();
  }
  function closeAbout() {
    about.hidden = true;
    M._qel_pending_done();
    update();
  }
  document.getElementById("about-ok").addEventListener("click", closeAbout);

  const errorBox = document.getElementById("error");
  let errorQueue = [];
  let afterErrors = null;
  function showErrors(messages, then) {
    errorQueue = messages.slice();
    afterErrors = then;
    nextError();
  }
  function nextError() {
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

  // ---- Camera dialog: a form over the core's dialog logic. --------------------------------------
  const dialog = document.getElementById("camera-dialog");
  const form = document.getElementById("camera-form");
  let formControls = null;  // id -> element
  let dialogTitle = "";
  const DLU_X = 1.75, DLU_Y = 1.75;

  async function buildForm() {
    const layout = await (await fetch("camera-dialog.json")).json();
    formControls = new Map();
    form.style.width = `${layout.width * DLU_X}px`;
    form.style.height = `${layout.height * DLU_Y}px`;
    for (const c of layout.controls) {
      let node;
      if (c.kind === "EDITTEXT") {
        node = document.createElement("input");
        node.type = "text";
        node.spellcheck = false;
      } else if (c.kind === "COMBOBOX") {
        node = document.createElement("select");
        node.addEventListener("change", () => formCommand(c.id, 1));
      } else if (c.kind === "PUSHBUTTON") {
        node = document.createElement("button");
        node.type = "button";
        node.textContent = c.text;
        node.addEventListener("click", () => formCommand(c.id, 0));
      } else {
        node = document.createElement("div");
        node.className = "label";
        node.textContent = c.text;
      }
      node.classList.add("control");
      node.style.left = `${c.x * DLU_X}px`;
      node.style.top = `${c.y * DLU_Y}px`;
      node.style.width = `${c.width * DLU_X}px`;
      node.style.height = `${(c.kind === "COMBOBOX" ? 14 : c.height) * DLU_Y}px`;
      if (c.id > 0) {
        node.id = `control-${c.id}`;
        formControls.set(c.id, node);
      }
      form.appendChild(node);
    }
  }

  function pushForm() {
    for (const [id, node] of formControls) {
      if (node.tagName === "INPUT") {
        const value = node.value;
        const ptr = M._malloc(Math.max(1, value.length) * 2);
        for (let i = 0; i < value.length; ++i) M.HEAPU16[(ptr >> 1) + i] = value.charCodeAt(i);
        M._qel_form_set_text(id, ptr, value.length);
        M._free(ptr);
      } else if (node.tagName === "SELECT") {
        M._qel_form_set_selection(id, node.selectedIndex);
      }
    }
  }

  function showForm(state) {
    for (const [id, items] of Object.entries(state.items)) {
      const node = formControls.get(Number(id));
      if (node && node.options.length !== items.length) {
        node.textContent = "";
        for (const item of items) node.appendChild(new Option(item));
      }
    }
    for (const [id, value] of Object.entries(state.texts)) {
      const node = formControls.get(Number(id));
      if (!node) continue;
      if (node.tagName === "INPUT") {
        if (node.value !== value) node.value = value;
      } else {
        node.textContent = value;
      }
    }
    for (const [id, index] of Object.entries(state.selections)) {
      const node = formControls.get(Number(id));
      if (node) node.selectedIndex = index;
    }
    for (const [id, units] of Object.entries(state.limits)) {
      const node = formControls.get(Number(id));
      if (node) node.maxLength = units;
    }
    for (const [id, on] of Object.entries(state.enabled)) {
      const node = formControls.get(Number(id));
      if (node) node.disabled = !on;
    }
    dialogTitle = state.title;
    document.title = dialogTitle || (ui && ui.title) || document.title;
  }

  function runForm(action, control, notification) {
    if (action !== 0) pushForm();
    const state = JSON.parse(M.UTF8ToString(M._qel_form(action, control, notification)));
    showForm(state);
    const finish = () => {
      if (state.ended) {
        dialog.hidden = true;
        dialogTitle = "";
      }
      update();
    };
    if (state.errors.length) showErrors(state.errors, finish);
    else finish();
  }

  const formCommand = (control, notification) => runForm(1, control, notification);

  let dialogOpening = false;
  async function openCameraDialog() {
    if (!dialog.hidden || dialogOpening) return;
    dialogOpening = true;
    if (!formControls) await buildForm();
    dialogOpening = false;
    dialog.hidden = false;
    runForm(0, 0, 0);
    const name = formControls.get(4001);
    if (name) name.focus();
  }
  document.getElementById("camera-close").addEventListener("click", () => runForm(2, 0, 0));

  // ---- Pointer and touch on the scales. ----------------------------------------------------------
  let pressed = null;      // {pointer, button} of the press the core is following
  let pendingTouch = null; // a finger down that has not yet become a press
  const touches = new Map();

  function at(e) {
    const r = canvas.getBoundingClientRect();
    return [Math.floor(e.clientX - r.left), Math.floor(e.clientY - r.top)];
  }

  function press(button, x, y, pointerId) {
    pressed = { pointerId, button };
    M._qel_mouse(0, button, x, y);
    update();
  }

  function startTouch() {
    if (!pendingTouch) return;
    const t = pendingTouch;
    pendingTouch = null;
    clearTimeout(t.timer);
    press(0, t.x, t.y, t.pointerId);
  }

  canvas.addEventListener("contextmenu", (e) => e.preventDefault());
  canvas.addEventListener("pointerdown", (e) => {
    e.preventDefault();
    hideHelp();
    if (!menuBox.hidden) choose(0);
    canvas.setPointerCapture(e.pointerId);
    const [x, y] = at(e);
    if (e.pointerType === "touch") {
      touches.set(e.pointerId, { x, y });
      if (touches.size === 2 && pendingTouch) {
        // Two fingers on a column: the right-button drag that zooms, from their middle.
        clearTimeout(pendingTouch.timer);
        const [a, b] = [...touches.values()];
        pendingTouch = null;
        press(2, Math.round((a.x + b.x) / 2), Math.round((a.y + b.y) / 2), e.pointerId);
        pressed.twoFinger = true;
        return;
      }
      if (touches.size === 1) {
        // One finger is the left button; it waits a moment for a second finger.
        pendingTouch = { x, y, pointerId: e.pointerId, timer: setTimeout(startTouch, 120) };
      }
      return;
    }
    if (pressed) return;
    press(e.button === 2 ? 2 : 0, x, y, e.pointerId);
  });

  canvas.addEventListener("pointermove", (e) => {
    const [x, y] = at(e);
    if (e.pointerType === "touch") {
      const t = touches.get(e.pointerId);
      if (t) { t.x = x; t.y = y; }
      if (pendingTouch && pendingTouch.pointerId === e.pointerId &&
          Math.abs(x - pendingTouch.x) + Math.abs(y - pendingTouch.y) > 4) startTouch();
      if (pressed && pressed.twoFinger) {
        const [a, b] = [...touches.values()];
        if (a && b) M._qel_mouse(1, 2, Math.round((a.x + b.x) / 2), Math.round((a.y + b.y) / 2));
        update(false);
        return;
      }
    }
    if (pressed && pressed.pointerId !== e.pointerId) return;
    M._qel_mouse(1, 0, x, y);
    update(false);
  });

  function release(e) {
    const [x, y] = at(e);
    if (e.pointerType === "touch") {
      touches.delete(e.pointerId);
      if (pendingTouch && pendingTouch.pointerId === e.pointerId) startTouch();
      if (pressed && pressed.twoFinger) {
        if (touches.size === 0) {
          M._qel_mouse(2, 2, x, y);
          pressed = null;
          update();
        }
        return;
      }
    }
    if (!pressed || pressed.pointerId !== e.pointerId) return;
    M._qel_mouse(2, pressed.button, x, y);
    pressed = null;
    update();
  }
  canvas.addEventListener("pointerup", release);
  canvas.addEventListener("pointercancel", (e) => {
    touches.delete(e.pointerId);
    if (pressed && pressed.pointerId === e.pointerId) {
      M._qel_mouse(3, 0, 0, 0);
      pressed = null;
      update();
    }
  });
  canvas.addEventListener("pointerleave", () => {
    if (!pressed) canvas.style.cursor = "default";
  });

  // ---- Keyboard: the Windows program's keys. -----------------------------------------------------
  const CODES = {
    Digit1: 1, Digit2: 2, Digit3: 3, Digit4: 4, Digit5: 5,
    Numpad1: 1, Numpad2: 2, Numpad3: 3, Numpad4: 4, Numpad5: 5,
    KeyC: 6, KeyE: 7, KeyF: 8, KeyG: 9, KeyH: 10, KeyR: 11, KeyT: 12, KeyU: 13, F1: 14,
    NumpadAdd: 15, Equal: 15, NumpadSubtract: 16, Minus: 16,
    ArrowUp: 17, ArrowDown: 18, PageUp: 19, PageDown: 20, Tab: 21, Escape: 22, KeyP: 23,
  };
  let pointer = { x: 0, y: 0, inside: false };
  canvas.addEventListener("pointermove", (e) => {
    const [x, y] = at(e);
    pointer = { x, y, inside: true };
  });
  canvas.addEventListener("pointerleave", () => { pointer.inside = false; });

  document.addEventListener("keydown", (e) => {
    if (!errorBox.hidden) {
      if (e.key === "Enter" || e.key === "Escape") { e.preventDefault(); nextError(); }
      return;
    }
    if (!about.hidden) {
      if (e.key === "Enter" || e.key === "Escape") { e.preventDefault(); closeAbout(); }
      return;
    }
    if (!dialog.hidden) {
      if (e.key === "Escape") e.preventDefault();  // as on Windows, Escape leaves the dialog open
      return;
    }
    if (!menuBox.hidden) {
      menuKey(e);
      return;
    }
    let key = CODES[e.code] || 0;
    if (e.key === "+") key = 15;
    if (e.key === "-") key = 16;
    if (!key) return;
    const handled = M._qel_key(key, e.ctrlKey || e.metaKey ? 1 : 0, e.shiftKey ? 1 : 0, e.altKey ? 1 : 0,
                               pointer.x, pointer.y, pointer.inside ? 1 : 0);
    if (handled) {
      e.preventDefault();
      openedBy = null;
      update();
    }
  });

  // ---- Settings: localStorage holds exactly what Qel.txt would hold. ------------------------------
  let saveTimer = 0;
  function storeSettings() {
    saveTimer = 0;
    const text = M.UTF8ToString(M._qel_settings());
    let old = null;
    try { old = localStorage.getItem(STORE); } catch (err) { return; }
    if (old === text) return;
    try {
      if (old !== null) localStorage.setItem(BACKUP, old);
      localStorage.setItem(STORE, text);
    } catch (err) { /* storage full or refused: the settings stay in this page */ }
  }
  function queueSave() {
    if (!saveTimer) saveTimer = setTimeout(storeSettings, 250);
  }
  window.addEventListener("pagehide", storeSettings);
  document.addEventListener("visibilitychange", () => { if (document.hidden) storeSettings(); });

  function withText(text, call) {
    const bytes = new TextEncoder().encode(text);
    const ptr = M._malloc(bytes.length + 1);
    M.HEAPU8.set(bytes, ptr);
    const result = call(ptr, bytes.length);
    M._free(ptr);
    return result;
  }

  function decimalPoint() {
    const s = (1.5).toLocaleString(navigator.language);
    return s.length === 3 ? s.charCodeAt(1) : 46;
  }

  function start(text) {
    const taken = withText(text, (ptr, length) => M._qel_start(ptr, length, decimalPoint()));
    minimumWidth = M._qel_minimum_width();
    toolbarNodes.clear();
    toolbarsBox.textContent = "";
    uiVersion = 0;
    resize();
    return taken;
  }

  function download() {
    const text = M.UTF8ToString(M._qel_settings());
    const a = document.createElement("a");
    a.href = URL.createObjectURL(new Blob([text], { type: "text/plain" }));
    a.download = "Qel.txt";
    document.body.appendChild(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(a.href), 1000);
  }

  document.getElementById("open-file").addEventListener("change", async (e) => {
    const file = e.target.files[0];
    e.target.value = "";
    if (!file) return;
    const text = await file.text();
    const current = M.UTF8ToString(M._qel_settings());
    if (!start(text)) {
      // Not Qel's settings: nothing of the current ones is given up for it.
      start(current);
      showErrors([`${file.name} is not a Qel settings file`], null);
    }
    storeSettings();
  });

  let minimumWidth = 0;

  async function main() {
    // The font and the core load side by side; nothing is measured before both are there.
    const [core] = await Promise.all([createQel({ qelLineHeight: cell, qelTextWidth: textWidth }),
                                      document.fonts.load("16px Carlito")]);
    M = core;
    measureFont();
    let stored = "";
    try { stored = localStorage.getItem(STORE) || ""; } catch (err) { stored = ""; }
    if (!start(stored)) {
      // Not Qel's settings: the defaults stand, and the text is kept aside, not lost.
      try { localStorage.setItem(BACKUP, stored); } catch (err) { /* nothing more to keep it in */ }
    }
    storeSettings();
    window.addEventListener("resize", resize);
    if ("serviceWorker" in navigator && location.protocol !== "file:") {
      navigator.serviceWorker.register("sw.js").catch(() => {});
    }
    // For the tests and for curious users: the rows of the near, focus and far lines.
    window.qelRows = () => [0, 1, 2].map((k) => M._qel_row(k));
    window.qelColumns = () => {
      const rect = (c) => ({ left: M._qel_scale(c, 0), top: M._qel_scale(c, 1), right: M._qel_scale(c, 2), bottom: M._qel_scale(c, 3) });
      return { lens: rect(0), aperture: rect(1), distance: rect(2), blur: rect(3) };
    };
    // Measurements for the README's figures: when the first frame was painted (ms after the
    // navigation began), and the mean time of a drag move (the core's move and a full repaint).
    window.qelFirstPaint = () => firstPaint;
    // Nothing waits to be painted or stored.
    window.qelSettled = () => !saveTimer && !frameQueued;
    window.qelDragMoveTime = (moves) => {
      const c = window.qelColumns().distance;
      const x = (c.left + c.right) >> 1;
      const from = window.qelRows()[1];
      M._qel_mouse(0, 0, x, from);
      const started = performance.now();
      for (let i = 0; i < moves; ++i) {
        M._qel_mouse(1, 0, x, from - (i % 60));
        paint();
      }
      const mean = (performance.now() - started) / moves;
      M._qel_mouse(2, 0, x, from);
      update();
      return mean;
    };
    window.qelReady = true;
  }

  main();
})();
