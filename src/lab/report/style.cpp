// The report's style sheet: colours of the ways of detection, tables, panels side by side.
#include "report/style.h"

namespace kavlab {

Html report_css() {
  return Html(R"(
:root { --both: #6a3d9a; --logic: #2b7bba; --monitor: #f0a030; --none: #e9ecf1;
  --escape: #c62f3b; --ink: #1d2330; --muted: #5d6778; --rule: #dde1e8; --paper: #fff; }
* { box-sizing: border-box; }
body { margin: 0; background: #f3f5f8; color: var(--ink);
  font: 15px/1.45 system-ui, -apple-system, "Segoe UI", Roboto, "Helvetica Neue", Arial, sans-serif; }
header.top { background: #1d2330; color: #fff; padding: 20px 32px 16px; }
header.top h1 { margin: 0 0 4px; font-size: 26px; font-weight: 650; letter-spacing: .2px; }
header.top p { margin: 2px 0; color: #c9d1de; }
header.top code { color: #fff; }
nav.circuits { padding: 10px 32px; background: #fff; border-bottom: 1px solid var(--rule);
  position: sticky; top: 0; z-index: 1; font-size: 14px; }
nav.circuits a { display: inline-block; margin: 2px 10px 2px 0; color: var(--logic);
  text-decoration: none; white-space: nowrap; }
nav.circuits a:hover { text-decoration: underline; }
main { padding: 4px 32px 40px; }
section.block { background: var(--paper); border: 1px solid var(--rule); border-radius: 10px;
  padding: 14px 24px 20px; margin: 22px 0; overflow-x: auto; }
h2 { font-size: 21px; margin: 6px 0 8px; }
h2 .what { font-weight: 400; color: var(--muted); font-size: 17px; margin-left: 8px; }
h3 { font-size: 16px; margin: 10px 0 2px; }
.parts { display: flex; flex-wrap: wrap; gap: 8px 56px; align-items: flex-start; }
.part { max-width: 100%; }
.part > p.legend, .part > p.counts { width: 0; min-width: 100%; }
p.meta, p.legend, p.counts { margin: 4px 0 8px; color: var(--muted); font-size: 13.5px; }
p.none { color: var(--muted); }
.panels { display: flex; flex-wrap: wrap; gap: 20px 36px; align-items: flex-start; }
figure.panel { margin: 0; min-width: 0; }
figure.panel > figcaption { font-size: 13.5px; margin: 6px 0 6px; }
figure.panel > figcaption code { color: var(--muted); }
.label { display: inline-block; min-width: 26px; padding: 0 6px; border-radius: 9px;
  background: var(--ink); color: #fff; font-size: 12px; font-weight: 600; text-align: center; }
.badge { display: inline-block; padding: 0 8px; border-radius: 9px; font-size: 12px; font-weight: 600; }
.badge.partial { background: #fde6c8; color: #8a4b00; }
.badge.complete { background: #dcefe0; color: #1f6b33; }
.badge.unmeasured { background: #e4e7ec; color: #4a5262; }
tr.unmeasured td, td.unm { color: #7a8394; font-style: italic; }
table { border-collapse: collapse; font-size: 13.5px; }
th, td { padding: 5px 9px; border-bottom: 1px solid var(--rule); text-align: left; vertical-align: top; }
thead th { font-weight: 600; color: var(--muted); border-bottom: 2px solid var(--rule); white-space: nowrap; }
tbody th { font-weight: 600; white-space: nowrap; }
tbody th a { color: var(--ink); text-decoration: none; }
tbody.totals tr:first-child > * { border-top: 2px solid var(--ink); }
td.n { text-align: right; font-variant-numeric: tabular-nums; white-space: nowrap; }
td small, th small { color: var(--muted); }
td.names { font-family: ui-monospace, "DejaVu Sans Mono", Menlo, Consolas, monospace;
  font-size: 12.5px; color: var(--escape); max-width: 320px; }
table.summary td svg { display: block; margin-top: 3px; }
table.figures th { white-space: nowrap; }
code, .hash { font-family: ui-monospace, "DejaVu Sans Mono", Menlo, Consolas, monospace; font-size: 12.5px; }
small.params { color: var(--muted); font-size: 11.5px; }
.key-item { display: inline-block; margin-right: 14px; white-space: nowrap; }
.key { display: inline-block; width: 12px; height: 12px; border-radius: 2px; margin-right: 5px;
  vertical-align: -1px; }
.k-b { background: var(--both); } .k-l { background: var(--logic); }
.k-m { background: var(--monitor); } .k-n { background: var(--none); border: 1px solid #cfd5de; }
.k-u { background: repeating-linear-gradient(135deg, #fff 0 2px, #b8c0cc 2px 3px);
  border: 1px solid #cfd5de; }
.k-e { background: var(--ink); } .k-esc { background: var(--escape); }
.esc { color: var(--escape); font-weight: 600; }
ul.escapes { columns: 3 12em; margin: 4px 0; padding-left: 18px; }
ul.escapes li { color: var(--escape); }
ul.escapes small { color: var(--muted); }
details.missed { margin: 6px 0; font-size: 13.5px; }
details.missed > summary { cursor: pointer; color: var(--muted); }
table.classes { margin-top: 10px; }
thead th.wrap { white-space: normal; min-width: 8em; }
a.esc { text-decoration: none; }
.class-plots { display: flex; flex-wrap: wrap; gap: 12px 28px; }
table.sweep-figures, table.thresholds, table.sweep-escapes { margin-top: 6px; }
h4 { font-size: 14px; margin: 12px 0 2px; }
svg { overflow: visible; }
svg text { font-family: system-ui, -apple-system, "Segoe UI", Roboto, Arial, sans-serif;
  font-size: 11px; fill: var(--ink); }
svg text.name, svg text.bits { font-family: ui-monospace, "DejaVu Sans Mono", Menlo, Consolas, monospace;
  font-size: 11px; }
svg text.bits { fill: var(--muted); }
svg text.name.esc { fill: var(--escape); font-weight: 700; }
svg text.name.unm, svg text.unm { fill: #9aa3b2; }
svg text.axis { font-size: 12px; fill: var(--muted); }
svg text.tick, svg text.count { font-size: 10px; fill: var(--muted); }
svg text.legend { font-size: 12px; }
.v-b { fill: var(--both); } .v-l { fill: var(--logic); } .v-m { fill: var(--monitor); }
.v-n { fill: var(--none); } .v-u { fill: url(#unmeasured); } .v-esc { fill: var(--escape); }
.ess { fill: var(--ink); }
line.grid { stroke: #fff; stroke-width: 1; }
line.grid-line { stroke: #e3e7ee; stroke-width: 1; }
line.axis-line { stroke: #8a93a3; stroke-width: 1; }
polyline, line.cov-e, line.cov-l, line.cov-m { fill: none; }
.cov-e { stroke: var(--ink); stroke-opacity: .22; stroke-width: 7; stroke-linejoin: round; }
.cov-l { stroke: var(--logic); stroke-width: 2.2; }
.cov-m { stroke: var(--monitor); stroke-width: 2.2; stroke-dasharray: 6 3; }
.pt-e { fill: var(--ink); fill-opacity: .35; } .pt-l { fill: var(--logic); }
.pt-m { fill: var(--monitor); }
footer { color: var(--muted); font-size: 13px; padding: 0 32px 32px; }
@media (max-width: 1100px) {
  main { padding: 4px 12px 28px; }
  section.block { padding: 10px 12px 14px; }
  th, td { padding: 4px 6px; }
  nav.circuits { padding: 8px 12px; }
  table.summary thead th { white-space: normal; }
  table.summary td.n small { display: block; }
}
@media print {
  @page { size: A4; margin: 12mm; }
  * { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
  body { background: #fff; font-size: 10pt; }
  header.top { background: #fff; color: var(--ink); padding: 0 0 4mm; }
  header.top p, header.top code { color: var(--ink); }
  nav.circuits { display: none; }
  main { padding: 0; }
  section.block { border: 0; border-radius: 0; padding: 0; margin: 0 0 6mm; overflow: visible; }
  section.circuit { break-before: page; }
  .part, figure.panel, table, tr { break-inside: avoid; }
  svg { max-width: 100%; height: auto; }
  footer { padding: 0; }
}
)");
}

Html report_svg_defs() {
  return Html(
      "<svg width=\"0\" height=\"0\" style=\"position:absolute\" aria-hidden=\"true\"><defs>"
      "<pattern id=\"unmeasured\" width=\"4\" height=\"4\" patternUnits=\"userSpaceOnUse\" "
      "patternTransform=\"rotate(45)\"><rect width=\"4\" height=\"4\" fill=\"#fff\"/>"
      "<rect width=\"1.2\" height=\"4\" fill=\"#b8c0cc\"/></pattern></defs></svg>");
}

}  // namespace kavlab
