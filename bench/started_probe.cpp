// A program that only notes when it was started: it appends the creation
// time of its own process (FILETIME, 100 ns units) as one line to the file
// named by Q730X_PROBE_FILE, then ends. The key event benchmark starts it
// through a key of the utility.
#include <windows.h>

#include <cstdio>

int main() {
  wchar_t path[MAX_PATH];
  if (!GetEnvironmentVariableW(L"Q730X_PROBE_FILE", path, MAX_PATH)) return 2;
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 1;
  FILE* out = _wfopen(path, L"a");
  if (!out) return 1;
  const unsigned long long value = (unsigned long long)created.dwHighDateTime << 32 | created.dwLowDateTime;
  std::fprintf(out, "%llu\n", value);
  std::fclose(out);
  return 0;
}
