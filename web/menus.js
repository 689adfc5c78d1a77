// The popup menus the core opens: items with their keys and check marks, chosen by pointer or
// keys; the help menu also opens and saves settings files.
import { shell, canvas } from "./shell.js";
import { download } from "./storage.js";

const OPEN_ITEM = -1;  // the page's own items of the help menu
const SAVE_ITEM = -2;
const menuBox = document.getElementById("menu");

export const menuOpen = () => !menuBox.hidden;
export function setOpener(node) {
  openedBy = node;
}

let openedBy = null;  // the button that opened the menu: pressing it again is not a press outside
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

export function openMenu(menu) {
  menuBox.textContent = "";
  menuItems = [];
  active = -1;
  const items = menu.items.slice();
  if (items.length && items[0].id === 4002) {  // the help menu also opens and saves settings files
    items.push({ id: 0 }, { id: OPEN_ITEM, label: "&Open settings...", checked: false },
               { id: SAVE_ITEM, label: "Sa&ve settings...", checked: false });
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

export function choose(id) {
  closeMenu();
  if (id === OPEN_ITEM) {
    shell.M._qel_menu(0);
    document.getElementById("open-file").click();
  } else if (id === SAVE_ITEM) {
    shell.M._qel_menu(0);
    download();
  } else {
    shell.M._qel_menu(id);
  }
  shell.update();
}

export function menuKey(e) {
  if (e.key === "Escape") choose(0);
  else if (e.key === "ArrowDown") setActive(active < 0 ? 0 : (active + 1) % menuItems.length);
  else if (e.key === "ArrowUp") setActive(active <= 0 ? menuItems.length - 1 : active - 1);
  else if (e.key === "ArrowLeft" || e.key === "ArrowRight") {
    // As on a menu bar: the neighbouring menu opens in this one's place.
    closeMenu();
    shell.M._qel_menu_walk(e.key === "ArrowLeft" ? -1 : 1);
    shell.update();
  } else if (e.key === "Enter" && active >= 0) choose(menuItems[active].id);
  else if (e.key.length === 1) {
    // An access letter chooses its item; one that several items share goes from one to the next.
    const letter = e.key.toLowerCase();
    const matches = menuItems.map((m, i) => (m.key === letter ? i : -1)).filter((i) => i >= 0);
    if (matches.length === 1) choose(menuItems[matches[0]].id);
    else if (matches.length > 1) setActive(matches.find((i) => i > active) ?? matches[0]);
  }
  e.preventDefault();
}

// A press outside the menu closes it and does nothing else, as on Windows: its moves, release and
// click go nowhere (on a phone nearly every spot outside a menu is a scale).
let swallowed = null;  // the pointer whose press closed the menu
document.addEventListener("pointerdown", (e) => {
  if (menuBox.hidden || menuBox.contains(e.target) || e.target === openedBy) return;
  e.preventDefault();
  e.stopPropagation();
  swallowed = e.pointerId;
  choose(0);
}, true);
for (const type of ["pointermove", "pointerup", "pointercancel", "click"]) {
  document.addEventListener(type, (e) => {
    if (swallowed === null || (type !== "click" && e.pointerId !== swallowed)) return;
    e.stopPropagation();
    if (type === "click" || type === "pointercancel") swallowed = null;
    if (type === "pointerup") setTimeout(() => { swallowed = null; }, 0);  // its click comes at once
  }, true);
}
