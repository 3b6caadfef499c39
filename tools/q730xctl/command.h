// The command table of q730xctl. Each group of commands lives in a file of its
// own and hands its table to main.cpp, which lists the groups.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace q730x::ctl {

enum ExitCode : int {
  kExitOk = 0,
  kExitFailure = 1,  // the command ran and failed
  kExitUsage = 2,    // unknown command or bad arguments: the usage text is printed
};

struct Command {
  const char* name;
  const char* arguments;  // for the usage text, e.g. "N"
  const char* summary;    // one line for the usage text
  // Receives the arguments after the command name.
  int (*run)(const std::vector<std::wstring>& arguments);
};

// A profile number as users count them (1..5) as an index 0..4, or -1.
int ParseProfileNumber(const std::wstring& text);

// The groups of commands (one function per file).
std::span<const Command> StoreCommands();
std::span<const Command> BackupCommands();
std::span<const Command> DeviceCommands();

}  // namespace q730x::ctl
