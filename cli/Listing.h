#pragma once
// count and list, and what zor-icons prints, with the standard library alone: zor-icons
// runs them without loading Qt, and its other commands (Qt Core) run the same ones.
// Standard output is checked: a command whose output could not be written (a full disk, a
// closed pipe) fails, saying so, instead of reporting success.

#include "platform/iconsource/Walk.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli::plain {

using zor::iconsource::walk::Source;

constexpr int kSuccess = 0;
constexpr int kFileFailed = 1;
constexpr int kUsageError = 2;

// Writes to standard output; false once anything could not be written.
bool put(std::string_view text);
bool putLine(std::string_view text);
// Flushes standard output: code when all of it was written, else "write error" and 1.
int finish(int code);
// "zor-icons: MESSAGE" on standard error. Paths in it are bytes, as the user gave them.
void report(std::string_view message);
// The system's text for an errno.
std::string reason(int error);
// "the output limit of N bytes (16 times the file's size, at least 16 MiB)"
std::string outputLimitText(int64_t limit);

// The file as an icon source, or null with the reason reported; its size into bytes.
std::shared_ptr<const Source> openOrReport(const std::string& path, int64_t* bytes = nullptr);

int count(const std::vector<std::string>& files);
// jsonHead gives a file's JSON object up to its icons: {"file":NAME (and what else names it).
int list(const std::vector<std::string>& files, bool asJson,
         const std::function<std::string(const std::string& path)>& jsonHead);

// zor-icons's count and list when their words are plain (files, and --json for list, with
// names JSON shows as they are): the exit status. Nothing for anything else, which the
// program that reads every option runs.
std::optional<int> plainCountOrList(int argc, char* argv[]);

// Runs zor-icons's helper program name (zor-icons-core, zor-icons-pictures) with argv in our
// place; returns only when it cannot, saying why. Installed, the helpers lie where they are
// installed; in the build tree, beside us.
int runHelper(const char* name, char* argv[]);

} // namespace cli::plain
