#include "tools/qvbuild/reference_page.h"

#include <cctype>

#include "tools/qvbuild/command_catalog.h"

namespace qv::authoring {
namespace {

std::string Anchor(std::string_view title) {
  std::string out;
  for (char c : title) {
    if (std::isalnum(static_cast<unsigned char>(c)))
      out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    else if (c == ' ' || c == '-')
      out.push_back('-');
  }
  return out;
}

std::string Placeholder(std::string_view name) { return "<" + std::string(name) + ">"; }

std::string Syntax(const CommandInfo& c) {
  std::string out(c.name);
  switch (c.form) {
    case Form::Condition:
      return out + " [not] <variable> <operator> [<value>]";
    case Form::SetVariable:
      return out + " <name> <value> [save|nosave]";
    case Form::Free:
      return out + " [<text> ...]";
    case Form::Plain:
      break;
  }
  for (const auto& p : c.parameters) out += " " + Placeholder(p.name);
  return out;
}

std::string KindText(const ParameterInfo& p) {
  std::string kind(KindName(p.kind));
  if (p.role == Role::Result) kind += " (result)";
  if (p.role == Role::OptionalResult) kind += " (result, may be empty)";
  return kind;
}

std::string Cell(std::string_view s) {
  std::string out;
  for (char c : s) {
    if (c == '|')
      out += "\\|";
    else
      out.push_back(c);
  }
  return out;
}

}  // namespace

std::string CommandReferencePage() {
  std::string page =
      "# Command reference\n\n"
      "Every command of the setup language, with its parameters in the order the script stores them. This page is\n"
      "generated from the builder's command table (`qvbuild commands -o docs/commands.md`); edit the table, not\n"
      "the page. The source language itself is described in [source-language.md](source-language.md).\n\n"
      "Parameter kinds: *text* (any text), *path* (a file or folder path), *flag* (`TRUE` or `FALSE`), *variable*\n"
      "(a variable name, bare or as `$NAME$`), *number* (a decimal integer). A *result* variable is assigned by\n"
      "the command; validation counts it as defined from that line on. Parameters left out at the end of a\n"
      "statement are written as empty texts.\n\n"
      "## Conditions\n\n"
      "`If`, `Else If`, `While` and `Until` test a variable: `If [not] <variable> <operator> [<value>]`.\n\n"
      "| Operator | Stored code | Meaning |\n|---|---|---|\n";
  for (const auto& o : ConditionOperators())
    page += "| `" + std::string(o.word) + "` | " + std::string(o.code) + " | " + Cell(o.meaning) +
            (o.takesValue ? "" : " (no value)") + " |\n";
  page +=
      "\n`not` negates the test. The stored form (four parameters: variable, code, value, TRUE or FALSE) may\n"
      "also be written by position.\n\n## Commands by group\n\n";
  Group last{};
  bool first = true;
  std::string groups;
  for (const auto& c : Commands()) {
    if (first || c.group != last) {
      if (!first) groups += "\n";
      groups += "- [" + std::string(GroupTitle(c.group)) + "](#" + Anchor(GroupTitle(c.group)) + "):";
      first = false;
      last = c.group;
    } else {
      groups += ",";
    }
    groups += " " + std::string(c.name);
  }
  page += groups + "\n";
  first = true;
  for (const auto& c : Commands()) {
    if (first || c.group != last) {
      page += "\n## " + std::string(GroupTitle(c.group)) + "\n";
      first = false;
      last = c.group;
    }
    page += "\n### " + std::string(c.name) + "\n\n" + std::string(c.summary) + "\n\n    " + Syntax(c) + "\n";
    if (c.parameters.empty()) {
      page += "\nNo parameters.\n";
      continue;
    }
    page += "\n| # | Parameter | Kind | Meaning |\n|---|---|---|---|\n";
    for (size_t k = 0; k < c.parameters.size(); ++k) {
      const auto& p = c.parameters[k];
      page +=
          "| " + std::to_string(k + 1) + " | " + Cell(p.name) + " | " + KindText(p) + " | " + Cell(p.meaning) + " |\n";
    }
  }
  return page;
}

}  // namespace qv::authoring
