#include "Listing.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <climits>

#include <sys/stat.h>
#include <unistd.h>

namespace cli::plain {

namespace walk = zor::iconsource::walk;

bool put(std::string_view text)
{
    if (!text.empty())
        std::fwrite(text.data(), 1, text.size(), stdout);
    return !std::ferror(stdout);
}

bool putLine(std::string_view text)
{
    return put(text) && put("\n");
}

int finish(int code)
{
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        const int error = errno ? errno : EIO;
        std::fprintf(stderr, "zor-icons: write error: %s\n", std::strerror(error));
        return code == kSuccess ? kFileFailed : code;
    }
    return code;
}

void report(std::string_view message)
{
    std::fprintf(stderr, "zor-icons: %.*s\n", int(message.size()), message.data());
}

std::string reason(int error)
{
    return std::strerror(error);
}

std::string outputLimitText(int64_t limit)
{
    return "the output limit of " + std::to_string(limit) + " bytes (" + std::to_string(walk::kOutputPerInputByte)
        + " times the file's size, at least " + std::to_string(walk::kMinOutputBytes >> 20) + " MiB)";
}

std::shared_ptr<const Source> openOrReport(const std::string& path, int64_t* bytes)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        report(path + ": " + (errno == ENOENT ? std::string("no such file") : reason(errno)));
        return nullptr;
    }
    if (S_ISDIR(st.st_mode)) {
        report(path + ": is a folder");
        return nullptr;
    }
    if (bytes)
        *bytes = st.st_size;
    walk::Outcome outcome = walk::Outcome::Read;
    errno = 0;
    auto file = walk::open(path.c_str(), &outcome);
    if (!file)
        report(path + ": " + (outcome == walk::Outcome::NotAFile ? std::string("not a regular file") : reason(errno ? errno : EIO)));
    return file;
}

int count(const std::vector<std::string>& files)
{
    int result = kSuccess;
    for (const std::string& path : files) {
        const auto file = openOrReport(path);
        if (!file) {
            result = kFileFailed;
            continue;
        }
        const std::string n = std::to_string(file->count());
        if (!putLine(files.size() == 1 ? n : path + '\t' + n))
            break;
    }
    return result;
}

namespace {

const char* formatOf(const walk::Entry& entry)
{
    if (entry.data.empty())
        return "missing";
    return walk::isPng(entry.data) ? "PNG" : "BMP";
}

// The listing of one file, an icon at a time, into out; false as soon as out takes no more.
// JSON keys in order, as Qt writes them, one object a file that is never held whole.
bool listFile(const std::string& path, const Source& file, const std::string* jsonHead,
              const std::function<bool(std::string_view)>& out)
{
    const int n = file.count();
    if (jsonHead) {
        if (!out(*jsonHead + ",\"icons\":["))
            return false;
    } else if (!out(path + ": " + std::to_string(n) + (n == 1 ? " icon\n" : " icons\n"))) {
        return false;
    }
    for (int k = 0; k < n; ++k) {
        const auto entries = file.entries(k);
        const int count = int(entries.size());
        std::string text = jsonHead ? std::string(k > 0 ? ",{\"images\":[" : "{\"images\":[")
                                    : "  icon " + std::to_string(k) + ": " + std::to_string(count)
                                          + (count == 1 ? " image\n" : " images\n");
        for (int i = 0; i < count; ++i) {
            const walk::Entry& e = entries[size_t(i)];
            const walk::Size size = walk::entrySize(e);
            char line[160];
            if (jsonHead)
                std::snprintf(line, sizeof line, "%s{\"bytes\":%lld,\"depth\":%d,\"format\":\"%s\",\"height\":%d,\"width\":%d}",
                              i > 0 ? "," : "", (long long)e.data.size(), walk::entryDepth(e), formatOf(e), size.height,
                              size.width);
            else
                std::snprintf(line, sizeof line, "    %4d x %-4d %2d-bit %-4s %lld bytes\n", size.width, size.height,
                              walk::entryDepth(e), formatOf(e), (long long)e.data.size());
            text += line;
        }
        if (jsonHead)
            text += "],\"index\":" + std::to_string(k) + '}';
        if (!out(text))
            return false;
    }
    return !jsonHead || out("]}");
}

} // namespace

int list(const std::vector<std::string>& files, bool asJson,
         const std::function<std::string(const std::string& path)>& jsonHead)
{
    int result = kSuccess;
    bool first = true;
    if (asJson && !put("["))
        return result;
    for (const std::string& path : files) {
        int64_t bytes = 0;
        const auto file = openOrReport(path, &bytes);
        if (!file) {
            result = kFileFailed;
            continue;
        }
        if (const walk::Stop why = file->whyEmpty(); why.kind != walk::Stop::None)
            report(path + ": " + why.text());
        const std::string head = asJson ? jsonHead(path) : std::string();
        const std::string* json = asJson ? &head : nullptr;
        // Measured before any of it is printed: a listing past the limit is not begun.
        const int64_t limit = walk::outputLimit(bytes);
        int64_t length = 0;
        if (!listFile(path, *file, json, [&](std::string_view text) { return (length += int64_t(text.size())) <= limit; })) {
            report(path + ": not listed: the listing would pass " + outputLimitText(limit));
            result = kFileFailed;
            break;
        }
        if (asJson && !put(first ? "\n" : ",\n"))
            return result;
        first = false;
        if (!listFile(path, *file, json, [](std::string_view text) { return put(text); }))
            return result;
    }
    if (asJson)
        put("\n]\n");
    return result;
}

namespace {

// Names JSON shows as they are, and that the full program would show the same: printable
// ASCII, with no escape but for quotes and backslashes.
bool plainJsonName(std::string_view name)
{
    for (const char c : name)
        if (c < 0x20 || c > 0x7e)
            return false;
    return true;
}

std::string plainJsonHead(const std::string& path)
{
    std::string head = "{\"file\":\"";
    for (const char c : path) {
        if (c == '"' || c == '\\')
            head += '\\';
        head += c;
    }
    return head + '"';
}

} // namespace

std::optional<int> plainCountOrList(int argc, char* argv[])
{
    if (argc < 3)
        return std::nullopt;
    const std::string_view command = argv[1];
    if (command != "count" && command != "list")
        return std::nullopt;
    bool asJson = false;
    std::vector<std::string> files;
    for (int i = 2; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (command == "list" && word == "--json")
            asJson = true;
        else if (word.starts_with('-'))
            return std::nullopt;
        else
            files.emplace_back(word);
    }
    if (files.empty())
        return std::nullopt;
    if (asJson)
        for (const std::string& f : files)
            if (!plainJsonName(f))
                return std::nullopt;
    return finish(command == "count" ? count(files) : list(files, asJson, plainJsonHead));
}

int runHelper(const char* name, char* argv[])
{
    char self[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string folder = n > 0 ? std::string(self, size_t(n)) : std::string();
    folder.resize(folder.rfind('/') + 1);
    std::string helper;
    for (const char* relative : {ZOR_HELPERS, ""}) {
        helper = folder + relative + name;
        if (::access(helper.c_str(), X_OK) == 0)
            break;
    }
    std::fflush(stdout);
    ::execv(helper.c_str(), argv);
    report("cannot run " + helper + ": " + reason(errno));
    return kFileFailed;
}

} // namespace cli::plain
