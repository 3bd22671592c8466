#include "cli/options.h"

#include "core/shown_text.h"

namespace {

const int NOT_AN_OPTION = -1, HELP = -2, END_OF_OPTIONS = -3;

// Returns the place in <names> of the option that <word> names (up to any "="), HELP or
// END_OF_OPTIONS for those words, or NOT_AN_OPTION.
int word_kind(const std::string& word, const char* const* names, int count) {
  if (word == "-h" || word == "--help") return HELP;
  if (word == "--") return END_OF_OPTIONS;
  std::string name = word.substr(0, word.find('='));
  for (int o = 0; o < count; o++)
    if (name == names[o]) return o;
  return NOT_AN_OPTION;
}

}  // namespace

std::string not_taken(const std::string& word, bool after_options) {
  bool option = !after_options && !word.compare(0, 1, "-");
  return (option ? "unknown option '" : "unexpected argument '") + shown_text(word) + "'";
}

std::string split_options(int argc, char** argv, const char* const* names, const bool* takes_value,
                          int count, std::vector<GivenOption>* given, bool* help) {
  std::vector<bool> seen(count);
  for (int i = 0; i < argc; i++) {
    std::string word = argv[i], name = word.substr(0, word.find('='));
    int o = word_kind(word, names, count);
    if (o == HELP) {
      *help = true;
      return "";
    }
    // After "--" every word is an operand, and no subcommand takes one.
    if (o == END_OF_OPTIONS) return i + 1 < argc ? not_taken(argv[i + 1], true) : "";
    if (o == NOT_AN_OPTION) return not_taken(word, false);
    if (seen[o]) return name + " is given twice";
    seen[o] = true;
    bool inline_value = name.size() < word.size();
    if (!takes_value[o]) {
      if (inline_value) return name + " takes no value";
      given->push_back({o, NULL});
    } else if (inline_value) {
      given->push_back({o, argv[i] + name.size() + 1});
    } else if (i + 1 == argc) {
      return name + " needs a value";
    } else if (word_kind(argv[i + 1], names, count) != NOT_AN_OPTION) {
      std::string next = shown_text(argv[i + 1]);
      return name + " needs a value, but '" + next + "' is an option (as the value, write " + name +
             "=" + next + ")";
    } else {
      given->push_back({o, argv[++i]});
    }
  }
  return "";
}

std::string value_error(const char* name, const char* value, const char* wanted) {
  if (!wanted) return "";
  return std::string(name) + " '" + shown_text(value) + "': " + wanted;
}
