// zor-icons: counts and lists with the standard library alone, so that its commonest and
// shortest runs load nothing more; everything else runs in its helpers, zor-icons-core
// (Qt Core: search, export as .ico, the help and every other word) and zor-icons-pictures
// (Qt Gui: what draws pictures).

#include "Listing.h"

#include <clocale>
#include <csignal>
#include <string_view>

int main(int argc, char* argv[])
{
    // Past a file-size limit a write fails, rather than the signal ending us.
    std::signal(SIGXFSZ, SIG_IGN);
    std::setlocale(LC_ALL, "");   // the system's messages
    if (const auto code = cli::plain::plainCountOrList(argc, argv))
        return *code;
    const std::string_view command = argc > 1 ? argv[1] : "";
    const bool draws = command == "thumbnail" || command == "create" || command == "build-icl";
    return cli::plain::runHelper(draws ? "zor-icons-pictures" : "zor-icons-core", argv);
}
