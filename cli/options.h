// The command line of a glimmerset subcommand: "--name value" or "--name=value", each option
// at most once, -h or --help wherever an option may stand, and "--" to end the options (no
// subcommand takes other words). A value that is itself one of the options is refused: an
// empty shell variable left unquoted would otherwise turn the next option into a value.
#pragma once

#include <string>
#include <vector>

template <typename Args>
struct Option {
  const char* name;  // "--port"
  bool takes_value;  // false for a flag
  // Takes the value (NULL for a flag) into <args>. Returns NULL, or what the value must be.
  const char* (*apply)(Args* args, const char* value);
};

// An option as the command line gives it: its place in the table, and its value or NULL.
struct GivenOption {
  int option;
  const char* value;
};

// Splits <argv> into the options named in <names> (<count> of them; those that take a value
// have it set in <takes_value>). Returns "" with them, in order, in <given> (and <help> set
// when -h or --help stood where an option may), or the first thing that is wrong.
std::string split_options(int argc, char** argv, const char* const* names, const bool* takes_value,
                          int count, std::vector<GivenOption>* given, bool* help);

// The part of the command line that a pointer to a member of it (<FIELD>) belongs to.
template <typename Field>
struct MemberOf;
template <typename Args, typename Value>
struct MemberOf<Value Args::*> {
  typedef Args Part;
};

// Setters for the table: set_text<&Args::field> takes a value that must not be empty,
// set_flag<&Args::flag, VALUE> sets a flag. Each returns NULL, or what the value must be.
template <auto FIELD>
const char* set_text(typename MemberOf<decltype(FIELD)>::Part* args, const char* value) {
  args->*FIELD = value;
  return *value ? NULL : "must not be empty";
}
template <auto FIELD, bool VALUE = true>
const char* set_flag(typename MemberOf<decltype(FIELD)>::Part* args, const char*) {
  args->*FIELD = VALUE;
  return NULL;
}

// Returns what the command line calls <word>, which nothing takes: an "unknown option" when
// it looks like one and stands before "--" (not <after_options>), else an "unexpected
// argument".
std::string not_taken(const std::string& word, bool after_options);

// Returns "" when <wanted> is NULL, else the message for option <name>'s <value>.
std::string value_error(const char* name, const char* value, const char* wanted);

// Takes the words of <argv> into <args> by <options>. Returns "" when they are all right
// (with <help> set when -h or --help was among them), or the first thing that is wrong,
// naming the option and the value.
template <typename Args, int N>
std::string parse_options(int argc, char** argv, const Option<Args> (&options)[N], Args* args,
                          bool* help) {
  const char* names[N];
  bool takes_value[N];
  for (int o = 0; o < N; o++) {
    names[o] = options[o].name;
    takes_value[o] = options[o].takes_value;
  }
  std::vector<GivenOption> given;
  std::string error = split_options(argc, argv, names, takes_value, N, &given, help);
  for (size_t i = 0; i < given.size() && error.empty() && !*help; i++) {
    const Option<Args>& option = options[given[i].option];
    error = value_error(option.name, given[i].value, option.apply(args, given[i].value));
  }
  return error;
}
