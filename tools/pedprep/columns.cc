#include "tools/pedprep/columns.h"

namespace pedpeel::pedprep {

namespace {

// One role a column can hold: the names herd-books give it, its option, whether a row
// cannot be read without it.
struct Role {
  int* column;
  const std::string* named;  // the name the command line gives, empty for none
  std::vector<std::string_view> names;
  std::string_view option;
  bool required;
  std::string what;
};

std::string separator_name(char separator) {
  switch (separator) {
    case ',':
      return "comma";
    case ';':
      return "semicolon";
    default:
      return "tab";
  }
}

// "a, b or c".
std::string listed(const std::vector<std::string>& items, std::string_view last_joint) {
  std::string text;
  for (size_t k = 0; k < items.size(); ++k) {
    if (k > 0) text += k + 1 == items.size() ? std::string(last_joint) : std::string(", ");
    text += items[k];
  }
  return text;
}

bool matches(const Role& role, std::string_view header_name) {
  if (!role.named->empty()) return equals_ignoring_case(header_name, *role.named);
  for (std::string_view name : role.names) {
    if (equals_ignoring_case(header_name, name)) return true;
  }
  return false;
}

// "the sire (sire, father or pat)" or "the sire (--sire "Vater")".
std::string looked_for(const Role& role) {
  if (!role.named->empty()) {
    return role.what + " (" + std::string(role.option) + " " + quoted(*role.named) + ")";
  }
  if (role.option.empty()) return quoted(role.names[0]);
  std::vector<std::string> names;
  for (std::string_view name : role.names) names.emplace_back(name);
  return role.what + " (" + listed(names, " or ") + ")";
}

}  // namespace

bool equals_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

char separator_of(std::string_view text) {
  int commas = 0;
  int semicolons = 0;
  int tabs = 0;
  bool quoted_text = false;
  // Blank lines before the header.
  while (!text.empty() && (text[0] == '\n' || text[0] == '\r')) text.remove_prefix(1);
  for (char c : text) {
    if (c == '"') quoted_text = !quoted_text;
    if (quoted_text) continue;
    if (c == '\n') break;
    commas += c == ',';
    semicolons += c == ';';
    tabs += c == '\t';
  }
  if (semicolons > commas && semicolons >= tabs) return ';';
  if (tabs > commas && tabs > semicolons) return '\t';
  return ',';
}

std::string column_name(const std::vector<std::string>& header, int column) {
  return "column " + std::to_string(column + 1) + " " + quoted(header[static_cast<size_t>(column)]);
}

bool find_columns(const std::vector<std::string>& header, const ColumnNames& names,
                  std::span<const std::string> fraction_columns, char separator, int64_t line,
                  Report& report, Columns* columns) {
  static const std::string kNone;
  std::vector<Role> roles = {
      {&columns->id,
       &names.id,
       {"id", "animal", "indiv", "individual", "iid"},
       "--id",
       true,
       "the id"},
      {&columns->sire, &names.sire, {"sire", "father", "pat"}, "--sire", true, "the sire"},
      {&columns->dam, &names.dam, {"dam", "mother", "mat"}, "--dam", true, "the dam"},
      {&columns->sex, &names.sex, {"sex", "gender"}, "--sex", false, "the sex"},
      {&columns->family,
       &names.family,
       {"pedigree", "family", "herd", "fid"},
       "--family",
       false,
       "the pedigree"},
      {&columns->race, &names.race, {"race", "breed"}, "--race", false, "the race"},
      {&columns->born,
       &names.born,
       {"born", "birthyear", "birth_year", "birthdate", "birth_date", "yob"},
       "--born",
       false,
       "the birth date"},
  };
  columns->fractions.assign(fraction_columns.size(), -1);
  for (size_t j = 0; j < fraction_columns.size(); ++j) {
    roles.push_back({&columns->fractions[j],
                     &kNone,
                     {fraction_columns[j]},
                     {},
                     true,
                     "race fraction " + std::to_string(j + 1)});
  }
  bool ok = true;
  std::vector<std::string> missing;
  std::vector<std::string> options;
  for (Role& role : roles) {
    for (size_t c = 0; c < header.size(); ++c) {
      if (!matches(role, header[c])) continue;
      if (*role.column >= 0) {
        std::string message = column_name(header, *role.column) + " and " +
                              column_name(header, static_cast<int>(c)) + " both name " + role.what;
        if (!role.option.empty()) message += ": " + std::string(role.option) + " COL picks one";
        report.error(line, message);
        ok = false;
      } else {
        *role.column = static_cast<int>(c);
      }
    }
    // A column named on the command line must be there, needed or not.
    if (*role.column >= 0 || (!role.required && role.named->empty())) continue;
    missing.push_back(looked_for(role));
    if (!role.option.empty()) options.push_back(std::string(role.option) + " COL");
    ok = false;
  }
  if (missing.empty()) return ok;
  std::string message = "no column for " + listed(missing, " and ") + " in the header";
  if (header.size() == 1) {
    message += ", which is read as the one column " + quoted(header[0]) + ": is the file " +
               separator_name(separator) + "-separated?";
  } else {
    std::vector<std::string> found;
    for (const std::string& name : header) found.push_back(quoted(name));
    message += ", which holds " + listed(found, ", ");
    if (!options.empty()) message += "; name the column with " + listed(options, " and ");
  }
  report.error(line, message);
  return ok;
}

}  // namespace pedpeel::pedprep
