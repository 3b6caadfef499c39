// q730xctl: a console tool to look into and back up the utility's settings.
//   q730xctl <command> [arguments]
// Exit status: 0 done, 1 the command failed, 2 unknown command or arguments.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "command.h"
#include "console.h"

namespace q730x::ctl {
namespace {

// Every group of commands; a new group is one more line here.
std::vector<std::span<const Command>> Groups() {
  return {
      StoreCommands(),
      BackupCommands(),
      DeviceCommands(),
  };
}

void PrintUsage() {
  std::fprintf(stderr, "usage: q730xctl <command> [arguments]\n\ncommands:\n");
  for (const auto& group : Groups())
    for (const Command& c : group) {
      const std::string head = std::string(c.name) + (*c.arguments ? " " : "") + c.arguments;
      std::fprintf(stderr, "  %-14s %s\n", head.c_str(), c.summary);
    }
}

const Command* Find(const std::wstring& name) {
  for (const auto& group : Groups())
    for (const Command& c : group)
      if (ToUtf8(name) == c.name) return &c;
  return nullptr;
}

int Run(int argc, wchar_t** argv) {
  if (argc < 2) {
    PrintUsage();
    return kExitUsage;
  }
  const Command* command = Find(argv[1]);
  if (!command) {
    PrintError("unknown command \"" + ToUtf8(std::wstring_view(argv[1])) + "\"");
    PrintUsage();
    return kExitUsage;
  }
  const std::vector<std::wstring> arguments(argv + 2, argv + argc);
  const int status = command->run(arguments);
  if (status == kExitUsage) PrintUsage();
  std::fflush(stdout);
  return status;
}

}  // namespace
}  // namespace q730x::ctl

int wmain(int argc, wchar_t** argv) { return q730x::ctl::Run(argc, argv); }
