#include "present/html_report.h"

#include <ostream>

#include "present/html_sections.h"
#include "present/svg_chart.h"

namespace korvan::report {

using namespace korvan::present;
namespace {

using html::facts;
using html::problem_name;
using html::write_charts;
using html::write_curves;
using html::write_summary_section;
using html::write_support_tables;
using svg::xml_escape;

const char* const kStyle = R"(
@page { size: A4; margin: 12mm 12mm 14mm 12mm; }
html { background: #f4f4f2; }
body { font-family: "Helvetica Neue", Helvetica, Arial, sans-serif;
  font-size: 14px; color: #1d1d1d; max-width: 1080px; margin: 0 auto;
  padding: 18px 28px 40px; background: #ffffff; line-height: 1.35; }
h1 { font-size: 22px; margin: 6px 0 4px; }
h2 { font-size: 18px; margin: 0 0 4px; padding-bottom: 3px;
  border-bottom: 2px solid #1f5fa8; }
h3 { font-size: 15px; margin: 18px 0 6px; }
p { margin: 4px 0; }
.meta { color: #555555; font-size: 13px; }
.status { font-weight: bold; }
.status.bad { color: #b02a1f; }
section { margin-top: 26px; }
table { border-collapse: collapse; font-size: 12.5px; margin: 4px 0 6px; }
th, td { border: 1px solid #c9c9c9; padding: 3px 7px; }
th { background: #eef2f7; font-weight: 600; text-align: center; }
td { text-align: right; white-space: nowrap; }
td.text { text-align: left; white-space: normal; }
td.name { text-align: left; }
td .at { display: block; color: #666666; font-size: 11px; }
.facts { color: #333333; font-size: 13px; }
.charts { display: grid; grid-template-columns: repeat(3, 1fr);
  gap: 10px 18px; margin-top: 10px; }
.curves { display: grid; grid-template-columns: repeat(3, 1fr);
  gap: 10px 18px; }
figure { margin: 0; break-inside: avoid; page-break-inside: avoid; }
figure.key { align-self: start; }
figcaption { font-size: 12px; color: #444444; margin-top: 2px; }
svg { display: block; width: 100%; height: auto; }
.note { color: #555555; font-size: 12px; }
@media print {
  html { background: none; }
  body { max-width: none; padding: 0; font-size: 9.5pt; }
  h1 { font-size: 15pt; }
  h2 { font-size: 12.5pt; }
  h3 { font-size: 10.5pt; margin-top: 10pt; }
  table { font-size: 8pt; max-width: 100%; }
  th, td { padding: 2px 3px; white-space: normal; }
  table.supports { font-size: 7pt; }
  table.summary td:not(.text) { white-space: nowrap; }
  td .at { font-size: 7pt; }
  .meta, .facts, figcaption, .note { font-size: 8.5pt; }
  section { margin-top: 0; }
  section.problem { break-before: page; page-break-before: always; }
  .charts { gap: 3mm 5mm; }
  table, .block { break-inside: avoid; page-break-inside: avoid; }
  h2, h3 { break-after: avoid; page-break-after: avoid; }
}
)";

void write_group(std::ostream& out, const std::vector<ProblemResults>& all,
                 const std::vector<size_t>& group) {
  const ProblemResults& head = all[group.front()];
  const bool staged = group.size() > 1;
  out << "<section class=\"problem\" id=\"problem-" << head.number << "\">\n";
  if (staged) {
    out << "<h2>Stages " << head.number << " to " << all[group.back()].number
        << ": " << xml_escape(head.title) << "</h2>\n";
    for (size_t i : group) {
      out << "<p class=\"facts\"><b>" << problem_name(all[i]) << "</b> "
          << xml_escape(all[i].title) << ". " << xml_escape(facts(all[i]))
          << "</p>\n";
    }
  } else {
    out << "<h2>" << problem_name(head) << ": " << xml_escape(head.title)
        << "</h2>\n<p class=\"facts\">" << xml_escape(facts(head)) << "</p>\n";
  }
  write_charts(out, all, group);
  write_support_tables(out, all, group);
  write_curves(out, all, group);
  out << "</section>\n";
}

}  // namespace

void write_html_report(std::ostream& out, const RunResult& run,
                       const ResultsSource& source) {
  const std::string heading =
      run.results.empty() ? source.input_name : run.results.front().title;
  out << "<!DOCTYPE html>\n"
      << "<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\" "
         "xml:lang=\"en\">\n<head>\n<meta charset=\"utf-8\"/>\n"
      << "<meta name=\"viewport\" content=\"width=device-width, "
         "initial-scale=1\"/>\n"
      << "<meta name=\"generator\" content=\"korvan "
      << xml_escape(source.version) << "\"/>\n"
      << "<title>" << xml_escape(heading) << " - "
      << xml_escape(source.input_name) << "</title>\n"
      << "<style>" << kStyle << "</style>\n</head>\n<body>\n";
  out << "<header>\n<h1>" << xml_escape(heading) << "</h1>\n"
      << "<p class=\"meta\">Input file " << xml_escape(source.input_name)
      << " &#183; korvan " << xml_escape(source.version);
  if (!source.generated.empty()) {
    out << " &#183; analysed " << xml_escape(source.generated);
  }
  out << "</p>\n<p class=\"status"
      << (run.status == RunStatus::kCompleted ? "" : " bad") << "\">Run "
      << outcome_name(run);
  if (!run.message.empty()) out << ": " << xml_escape(run.message);
  out << "</p>\n</header>\n";
  write_summary_section(out, run);
  for (const std::vector<size_t>& group : problem_groups(run.results)) {
    write_group(out, run.results, group);
  }
  out << "</body>\n</html>\n";
}

}  // namespace korvan::report
