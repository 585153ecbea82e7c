// Writes pelto-cli's manual page or bash completion from its template and the table of the
// command line, at build time.
#include "cli/CliCompletion.h"
#include "cli/CliManPage.h"
#include "platform/AtomicFile.h"
#include "platform/Stream.h"

#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

int main(int argc, char** argv) {
    const std::string_view Kind = argc == 4 ? argv[1] : "";
    if (Kind != "man" && Kind != "completion") {
        std::fprintf(stderr, "usage: make_cli_docs man|completion TEMPLATE FILE\n");
        return 2;
    }
    try {
        const std::vector<std::uint8_t> Bytes = pelto::ReadFileBytes(argv[2]);
        const std::string_view Template(reinterpret_cast<const char*>(Bytes.data()), Bytes.size());
        const std::string Text =
            Kind == "man" ? pelto::cli::ManPage(Template) : pelto::cli::CompletionScript(Template);
        pelto::WriteFileAtomically(
            argv[3], [&](pelto::TStream& Stream) { Stream.WriteBuffer(Text.data(), Text.size()); });
    } catch (const std::exception& Error) {
        std::fprintf(stderr, "make_cli_docs: %s: %s\n", argv[2], Error.what());
        return 1;
    }
    return 0;
}
