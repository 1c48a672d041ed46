#include "page.h"

namespace meridd {

const char* const kPageHtml = R"html(<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>meridd</title>
<style>
body { font-family: sans-serif; margin: 1.5em; color: #222; }
h1 { font-size: 1.3em; }
h2 { font-size: 1.1em; margin-top: 1.5em; }
table { border-collapse: collapse; font-size: 0.9em; }
td, th { border-bottom: 1px solid #ddd; padding: 0.25em 0.6em; text-align: left; vertical-align: top; }
.done { color: #1a7f37; } .failed, .unknown { color: #b42318; font-weight: bold; } .running { color: #9a6700; }
.columns { display: flex; gap: 2em; align-items: flex-start; flex-wrap: wrap; }
pre.tape { background: #fffdf5; border: 1px solid #ccc; padding: 0.8em; width: 44ch; max-height: 70vh;
           overflow-y: auto; font-size: 0.85em; box-shadow: 2px 2px 6px #0002; }
#error { color: #b42318; }
</style>
</head>
<body>
<h1>meridd</h1>
<p id="error"></p>
<h2>Printers</h2>
<table id="printers"><thead><tr><th>printer</th><th>port</th><th>waiting</th><th>status</th></tr></thead><tbody></tbody></table>
<div class="columns">
<div>
<h2>Tasks</h2>
<table id="tasks"><thead><tr><th>task</th><th>printer</th><th>kind</th><th>state</th><th>created</th><th>ended</th><th>error</th></tr></thead><tbody></tbody></table>
</div>
<div id="tapes"></div>
</div>
<script src="/app.js"></script>
</body>
</html>
)html";

const char* const kPageScript = R"js('use strict';
// A token, when the service needs one, comes in the address: /#token=...
const token = new URLSearchParams(location.hash.slice(1)).get('token');
const headers = token ? { Authorization: 'Bearer ' + token } : {};

async function get(path, asText) {
  const r = await fetch(path, { headers });
  if (!r.ok) throw new Error(path + ': ' + r.status);
  return asText ? r.text() : r.json();
}

function cell(row, text, cls) {
  const td = row.insertCell();
  td.textContent = text == null ? '' : String(text);
  if (cls) td.className = cls;
}

let printers = [];

async function refreshPrinters() {
  printers = await get('/printers');
  const body = document.querySelector('#printers tbody');
  body.replaceChildren();
  for (const p of printers) {
    const row = body.insertRow();
    row.id = 'printer-' + p.id;
    cell(row, p.id); cell(row, p.port); cell(row, p.waiting); cell(row, '…');
    get('/printers/' + encodeURIComponent(p.id) + '/status')
      .then(s => { row.cells[3].textContent = s.name + ' (' + s.status + ')'; })
      .catch(e => { row.cells[3].textContent = e.message; });
  }
}

async function refreshTasks() {
  const tasks = await get('/tasks');
  const body = document.querySelector('#tasks tbody');
  body.replaceChildren();
  for (const t of tasks) {
    const row = body.insertRow();
    cell(row, t.taskId); cell(row, t.printer); cell(row, t.kind); cell(row, t.state, t.state);
    cell(row, t.created); cell(row, t.ended); cell(row, t.error);
  }
}

async function refreshTapes() {
  const box = document.getElementById('tapes');
  for (const p of printers) {
    let text;
    try { text = await get('/printers/' + encodeURIComponent(p.id) + '/tape', true); } catch (e) { continue; }
    let pre = document.getElementById('tape-' + p.id);
    if (!pre) {
      const h = document.createElement('h2');
      h.textContent = 'Paper tape of ' + p.id;
      pre = document.createElement('pre');
      pre.className = 'tape';
      pre.id = 'tape-' + p.id;
      box.append(h, pre);
    }
    if (pre.textContent !== text) { pre.textContent = text; pre.scrollTop = pre.scrollHeight; }
  }
}

async function tick() {
  try {
    await refreshTasks();
    await refreshTapes();
    document.getElementById('error').textContent = '';
  } catch (e) {
    document.getElementById('error').textContent = 'The service does not answer: ' + e.message;
  }
}

refreshPrinters().then(tick).catch(e => { document.getElementById('error').textContent = e.message; });
setInterval(tick, 1000);
setInterval(() => refreshPrinters().catch(() => {}), 10000);
)js";

}  // namespace meridd
