#include "report/pageParts.h"

namespace morvane {

const char* pageStyle() {
    return R"CSS(
:root { --task: #2f6db5; --confound: #d9822b; --constant: #7a7a7a; --bad: #b3261e; --warn: #b85c00; --ok: #2e7d32; }
* { box-sizing: border-box; }
body { margin: 0; padding: 0 28px 40px; background: #f6f7f9; color: #1f2328;
       font: 14px/1.45 system-ui, -apple-system, "Segoe UI", Roboto, "Helvetica Neue", Arial, sans-serif; }
header.page { padding: 18px 0 6px; }
h1 { font-size: 22px; margin: 0 0 4px; font-weight: 600; }
h1 .list { font-family: ui-monospace, "SFMono-Regular", Menlo, Consolas, monospace; font-size: 18px; font-weight: 500; }
h2 { font-size: 17px; margin: 0 0 6px; font-weight: 600; display: flex; flex-wrap: wrap; align-items: center; gap: 8px; }
h3 { font-size: 13px; margin: 0 0 6px; font-weight: 600; color: #444; text-transform: uppercase; letter-spacing: .04em; }
.summary { margin: 4px 0; color: #444; }
.summary b { color: #1f2328; }
.settings { color: #555; font-size: 13px; }
code, .path { font-family: ui-monospace, "SFMono-Regular", Menlo, Consolas, monospace; font-size: 12.5px; overflow-wrap: break-word; }
a { color: #1f5fa8; }
details.help { margin: 8px 0 14px; font-size: 13px; color: #333; max-width: 980px; }
details.help summary { cursor: pointer; color: #1f5fa8; }
details.help dt { font-weight: 600; margin-top: 6px; }
details.help dd { margin: 0 0 0 18px; }
.table-wrap { overflow-x: auto; background: #fff; border: 1px solid #d8dce1; border-radius: 6px; }
table { border-collapse: collapse; font-size: 13px; }
table.overview { width: 100%; }
th, td { padding: 5px 9px; text-align: left; vertical-align: top; border-bottom: 1px solid #eceef1; }
thead th { background: #eef1f5; font-weight: 600; vertical-align: bottom; white-space: nowrap; position: sticky; top: 0; }
table.overview td:last-child { min-width: 190px; }
/* Sorting arrows only where the script runs to sort. */
.scripted th[data-sort] { cursor: pointer; user-select: none; }
.scripted th[data-sort]::after { content: " \2195"; color: #9aa3ad; font-weight: 400; }
.scripted th[aria-sort="ascending"]::after { content: " \2191"; color: #1f2328; }
.scripted th[aria-sort="descending"]::after { content: " \2193"; color: #1f2328; }
td.number, th.number { text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }
tbody tr:nth-child(even) { background: #fafbfc; }
tbody tr:hover { background: #eef4fb; }
td.none { color: #9aa3ad; }
.warn { color: var(--bad); font-weight: 600; }
.badge { display: inline-block; padding: 1px 8px; margin: 1px 3px 1px 0; border-radius: 10px; color: #fff; font-size: 11.5px;
         font-weight: 600; line-height: 17px; white-space: nowrap; background: #57606a; }
.status-ok { background: var(--ok); }
.status-failed { background: var(--bad); }
.status-missing { background: #6e7781; }
.flag-rank-deficient, .flag-high-motion, .flag-failed { background: var(--bad); }
.flag-high-vif, .flag-task-confound-correlation { background: var(--warn); }
.flag-empty-condition { background: #6f42c1; }
.flag-missing { background: #6e7781; }
section.run { background: #fff; border: 1px solid #d8dce1; border-radius: 6px; padding: 14px 18px 10px; margin: 18px 0;
              content-visibility: auto; contain-intrinsic-size: auto 1100px; scroll-margin-top: 10px; }
section.run:target { outline: 3px solid #8cb4e6; }
h2 .index { color: #6e7781; font-weight: 500; }
.meta { margin: 0 0 10px; color: #444; font-size: 13px; }
.meta span + span::before { content: "\00b7"; margin: 0 7px; color: #9aa3ad; }
.reason { margin: 8px 0 12px; padding: 8px 12px; background: #fdeeed; border-left: 4px solid var(--bad); overflow-wrap: anywhere; }
.note { margin: 6px 0 10px; padding: 6px 12px; background: #fff8e6; border-left: 4px solid #d4a72c; overflow-wrap: anywhere; }
.status-missing-section .reason { background: #f1f2f4; border-left-color: #6e7781; }
.figures { display: flex; flex-wrap: wrap; gap: 18px 36px; align-items: flex-start; margin: 8px 0 14px; }
/* A figure as wide as its picture, the caption wrapping under it. */
figure { margin: 0; display: table; }
figure svg { max-width: 100%; height: auto; display: block; }
figcaption { display: table-caption; caption-side: bottom; font-size: 12.5px; color: #555; margin-top: 4px; }
.empty { color: #6e7781; font-style: italic; }
svg text { font-family: system-ui, -apple-system, "Segoe UI", Roboto, "Helvetica Neue", Arial, sans-serif; }
svg .label { fill: #24292f; }
svg .axis { font-size: 10.5px; fill: #57606a; }
svg .tick { stroke: #8c959f; stroke-width: 1; }
svg .grid { stroke: #eaeef2; stroke-width: 1; }
svg .trace { fill: none; stroke: var(--task); stroke-width: 1.2; stroke-linejoin: round; }
svg .threshold { stroke: var(--bad); stroke-width: 1.2; stroke-dasharray: 5 3; }
svg .threshold-label { fill: var(--bad); }
svg .over { stroke: var(--bad); stroke-width: 1; }
svg image.cells { image-rendering: pixelated; }
table.vif td.kind-task { color: var(--task); }
.kind-task { color: var(--task); }
pre.log { margin: 6px 0 0; max-height: 320px; overflow: auto; background: #f6f8fa; border: 1px solid #e3e6ea; border-radius: 4px;
          padding: 8px 10px; font: 12px/1.4 ui-monospace, "SFMono-Regular", Menlo, Consolas, monospace; white-space: pre-wrap; }
details.log summary { cursor: pointer; font-size: 13px; color: #1f5fa8; }
.back { font-size: 12px; display: inline-block; margin-top: 8px; }
footer { color: #6e7781; font-size: 12px; margin-top: 24px; }
@media print { section.run { content-visibility: visible; break-inside: avoid; } thead th { position: static; } }
)CSS";
}

const char* pageScript() {
    return R"JS(
(function () {
  document.documentElement.classList.add('scripted');
  function key(cell, numeric) {
    var value = cell.getAttribute('data-v');
    if (numeric) return value === null || value === '' ? null : parseFloat(value);
    return (value !== null ? value : cell.textContent).toLowerCase();
  }
  document.querySelectorAll('table.sortable th[data-sort]').forEach(function (th) {
    th.tabIndex = 0;
    function sort() {
      var table = th.closest('table'), body = table.tBodies[0], column = th.cellIndex;
      var numeric = th.getAttribute('data-sort') === 'number';
      var direction = th.getAttribute('aria-sort') === 'ascending' ? -1 : 1;
      table.querySelectorAll('th[aria-sort]').forEach(function (h) { h.removeAttribute('aria-sort'); });
      th.setAttribute('aria-sort', direction === 1 ? 'ascending' : 'descending');
      var rows = Array.prototype.slice.call(body.rows);
      rows.sort(function (a, b) {
        var x = key(a.cells[column], numeric), y = key(b.cells[column], numeric);
        if (x === null || y === null) return x === y ? 0 : (x === null ? 1 : -1);
        if (x < y) return -direction;
        if (x > y) return direction;
        return 0;
      });
      rows.forEach(function (row) { body.appendChild(row); });
    }
    th.addEventListener('click', sort);
    th.addEventListener('keydown', function (event) {
      if (event.key === 'Enter' || event.key === ' ') { event.preventDefault(); sort(); }
    });
  });
})();
)JS";
}

}  // namespace morvane
