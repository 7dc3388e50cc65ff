// kelvane-cli: the headless companion of Kelvane, built on the core library alone.
#include <cstdio>
#include <string_view>

namespace {

constexpr std::string_view kUsage =
    "Kelvane command-line companion\n"
    "\n"
    "Usage: kelvane-cli <command> [options]\n"
    "\n"
    "Commands:\n"
    "  help        Show this text.\n"
    "  version     Print the program version.\n"
    "\n"
    "Archive commands (list, browse, extract, test, create, convert, add, delete, hash)\n"
    "arrive as the engine grows.\n";

}  // namespace

int main(int argc, char** argv) {
    const std::string_view command = argc > 1 ? std::string_view(argv[1]) : "help";
    if (command == "help" || command == "--help" || command == "-h") {
        std::fputs(kUsage.data(), stdout);
        return 0;
    }
    if (command == "version" || command == "--version") {
        std::puts("kelvane-cli " KELVANE_VERSION);
        return 0;
    }
    std::fprintf(stderr, "kelvane-cli: unknown command '%.*s' (try 'kelvane-cli help')\n",
                 static_cast<int>(command.size()), command.data());
    return 2;
}
