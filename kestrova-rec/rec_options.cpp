// The command line as GNU tools read it: options anywhere among the files,
// --opt=value for a long one, -- to end them, each option once.
#include <charconv>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

#include "kestrova-rec/rec_cli.h"
#include "kestrova-rec/rec_io.h"
#include "kestrova-rec/rec_text.h"

namespace {

struct OptionName {
  const char* name;
  int values;  // how many follow it; --screen takes a second one only when it is a size
  const char* Options::*field;
};
constexpr OptionName kOptionNames[] = {
    {"-o", 1, &Options::out},         {"--stub", 1, &Options::stub},   {"--repeat", 1, &Options::repeat},
    {"--speed", 1, &Options::speed},  {"--max-pause", 1, &Options::max_pause}, {"--from", 1, &Options::from},
    {"--to", 1, &Options::to},        {"--pause", 1, &Options::pause}, {"--by", 2, nullptr},
    {"--screen", 1, nullptr},         {"--fast", 0, nullptr},          {"--force", 0, nullptr},
    {"--help", 0, nullptr},           {"-h", 0, nullptr},              {"--version", 0, nullptr}};
constexpr std::size_t kRepeatable = 12;  // --help and --version may come twice

const OptionName* FindOption(std::string_view name) {
  for (const OptionName& option : kOptionNames)
    if (name == option.name) return &option;
  return nullptr;
}

// Whether the text is a screen size such as 1920x1080.
bool IsSize(std::string_view text) {
  std::size_t x = text.find('x');
  return x != text.npos && x > 0 && x + 1 < text.size() &&
         text.find_first_not_of("0123456789", 0) == x && text.find_first_not_of("0123456789", x + 1) == text.npos;
}

// Whether the command takes the option: the ones every command takes, and its own.
bool Takes(const Command& c, std::string_view name) {
  if (name == "-o" || name == "--force" || name == "--help" || name == "-h" || name == "--version") return true;
  std::string_view own = c.options;
  for (std::size_t at = own.find(name); at != own.npos; at = own.find(name, at + 1))
    if ((at + name.size() == own.size() || own[at + name.size()] == ' ') && (at == 0 || own[at - 1] == ' ')) return true;
  return false;
}

// The count of --repeat: what the program's repeat prompt sets, and a copy's
// field holds.
bool ReadCount(std::string_view text, std::int32_t& repeat) {
  bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  auto [at, ec] = std::from_chars(text.data() + (hex ? 2 : 0), text.data() + text.size(), repeat, hex ? 16 : 10);
  return ec == std::errc() && at == text.data() + text.size() && repeat >= 1 && repeat <= kMaxRepeat;
}

}  // namespace

std::string ReadOptions(int argc, char** argv, const Command& c, Options& o) {
  bool seen[std::size(kOptionNames)] = {};
  bool options_ended = false;
  for (int i = 2; i < argc; ++i) {
    std::string_view a = argv[i];
    if (options_ended || a == "-" || a.empty() || a[0] != '-') {
      o.files.emplace_back(a);
      continue;
    }
    if (a == "--") {
      options_ended = true;
      continue;
    }
    std::size_t equals = a.substr(0, 2) == "--" ? a.find('=') : std::string_view::npos;
    std::string_view name = a.substr(0, equals);
    if (name == "--output") name = "-o";
    const OptionName* option = FindOption(name);
    if (!option) return "unknown option " + Escaped(name);
    if (!Takes(c, name)) return std::string(option->name) + " is not an option of " + c.name;
    std::size_t index = static_cast<std::size_t>(option - kOptionNames);
    if (seen[index] && index < kRepeatable) return std::string(option->name) + " is given twice";
    seen[index] = true;
    const char* value[2] = {};
    if (option->values == 2 && equals != std::string_view::npos)
      return std::string(option->name) + " takes two values after a blank: " + option->name + " DX DY";
    for (int v = 0; v < option->values; ++v) {
      if (equals != std::string_view::npos) {
        value[v] = argv[i] + equals + 1;
      } else {
        if (i + 1 == argc) return std::string(option->name) + (option->values == 2 ? " needs two values" : " needs a value");
        value[v] = argv[++i];
        // A value may be negative (--by -5 0), but is never an option.
        if (FindOption(value[v]) || (value[v][0] == '-' && value[v][1] == '-'))
          return std::string(option->name) + " needs a value, not the option " + Escaped(value[v]);
      }
      if (!*value[v]) return std::string(option->name) + " needs a value";
    }
    if (option->field) o.*(option->field) = value[0];
    if (name == "--by") o.by[0] = value[0], o.by[1] = value[1];
    if (name == "--screen") {
      o.screen[0] = value[0];
      if (i + 1 < argc && IsSize(argv[i + 1])) o.screen[1] = argv[++i];
    }
    o.fast |= name == "--fast";
    o.force |= name == "--force";
    o.help |= name == "--help" || name == "-h";
    o.version |= name == "--version";
  }
  if (o.help || o.version) return {};
  if (o.files.size() < c.least_files)
    return o.files.empty() ? "which file?" : std::string(c.name) + " needs " + std::to_string(c.least_files) + " files or more";
  if (o.files.size() > c.most_files) return "one file at a time";
  if (o.out ? c.out == Output::kNone : c.out == Output::kNeeded)
    return o.out ? "-o is not for this command" : "-o OUT is needed";
  if ((o.repeat || o.fast) && !o.stub) return "--repeat and --fast are for a copy: give --stub kestrova.exe too";
  if (c.stub_needed && !o.stub) return "--stub kestrova.exe is needed";
  if (o.repeat && !ReadCount(o.repeat, o.repeat_count))
    return "--repeat takes a count from 1 to " + std::to_string(kMaxRepeat) + ", not \"" + Escaped(o.repeat) + "\"";
  if (o.out && !o.force) {
    std::vector<std::string> inputs = o.files;
    if (o.stub) inputs.emplace_back(o.stub);
    for (const std::string& input : inputs)
      if (SameFile(input, o.out))
        return std::string("-o ") + Escaped(o.out) + " is also the input " + Escaped(input) +
               ", which it would replace; give --force to do that";
  }
  return {};
}
