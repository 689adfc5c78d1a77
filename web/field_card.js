// The field card in the browser: the page the core made (the one qel-calc writes), ready to print.
// In a browser it opens in a tab of its own, with Print and Save above the card (neither is
// printed); in the installed app, whose window has no tabs, or where the browser will not open
// one, it is shown over the page with Print, Save and Close. Save downloads the card as it is.
const FILE_NAME = "Qel Field Card.html";

// The bar stays at the top of the screen as the card scrolls; on a touch screen its buttons are a
// finger's size.
const BAR_STYLE =
  ".qel-bar { display: flex; gap: 8px; margin: 0 0 4mm; padding: 6px 0; font: 14px sans-serif;" +
  " position: sticky; top: 0; z-index: 2; background: #fff; }\n" +
  ".qel-bar button, .qel-bar a { padding: 4px 14px; border: 1px solid #888; border-radius: 3px;" +
  " background: #f0f0f0; color: #000; text-decoration: none; font: inherit; cursor: pointer; }\n" +
  "@media (pointer: coarse) { .qel-bar button, .qel-bar a { min-width: 88px; min-height: 44px; font-size: 16px;" +
  " box-sizing: border-box; display: inline-flex; align-items: center; justify-content: center; } }\n" +
  "@media print { .qel-bar { display: none; } }\n";

function saveUrl(html) {
  return URL.createObjectURL(new Blob([html], { type: "text/html" }));
}

/// The card with the bar above it, for a tab of its own.
function withBar(html, save) {
  const bar = `<div class="qel-bar"><button type="button" onclick="print()">Print</button>` +
    `<a href="${save}" download="${FILE_NAME}">Save</a></div>\n`;
  return html.replace("</style>", `${BAR_STYLE}</style>`).replace("<body>\n", `<body>\n${bar}`);
}

function button(text, action) {
  const b = document.createElement("button");
  b.type = "button";
  b.textContent = text;
  b.addEventListener("click", action);
  return b;
}

let view = null;

function closeView() {
  if (!view) return;
  window.removeEventListener("keydown", view.keys, true);
  URL.revokeObjectURL(view.save);
  view.node.remove();
  view = null;
}

/// The card over the page, in a frame of its own, which prints alone.
function showInPage(html) {
  closeView();
  const node = document.createElement("div");
  node.id = "field-card";
  node.setAttribute("role", "dialog");
  node.setAttribute("aria-label", "Field Card");
  node.style.cssText = "position: fixed; inset: 0; z-index: 50; display: flex; flex-direction: column;" +
    " background: #404040; padding: 8px; gap: 8px; box-sizing: border-box;";
  const frame = document.createElement("iframe");
  frame.title = "Field Card";
  frame.srcdoc = html;
  frame.style.cssText = "flex: 1; border: 0; background: #fff; width: 100%;";
  const save = saveUrl(html);
  const link = document.createElement("a");
  link.href = save;
  link.download = FILE_NAME;
  const bar = document.createElement("div");
  bar.style.cssText = "display: flex; gap: 8px;";
  bar.className = "card-bar";
  bar.append(button("Print", () => frame.contentWindow.print()),
             button("Save", () => link.click()),
             button("Close", closeView));
  node.append(bar, frame);
  document.body.appendChild(node);
  // While the card is shown the window's keys are its own: Escape closes it, Ctrl+P prints it.
  const keys = (e) => {
    e.stopImmediatePropagation();
    if (e.key === "Escape") {
      e.preventDefault();
      closeView();
    } else if (e.key.toLowerCase() === "p" && (e.ctrlKey || e.metaKey)) {
      e.preventDefault();
      frame.contentWindow.print();
    }
  };
  window.addEventListener("keydown", keys, true);
  view = { node, save, keys };
  bar.firstChild.focus();
}

/// Shows the card `html`, a whole HTML page.
export function showFieldCard(html) {
  const installed = window.matchMedia("(display-mode: standalone)").matches || navigator.standalone === true;
  if (!installed) {
    const page = new Blob([withBar(html, saveUrl(html))], { type: "text/html" });
    if (window.open(URL.createObjectURL(page), "_blank")) return;
  }
  showInPage(html);
}
