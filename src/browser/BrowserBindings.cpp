// The studio's functions as the page's Worker calls them. Bytes go out as copies the script
// owns, so that the module's memory may grow and move under them.
#include "browser/BrowserStudio.h"

#include "platform/Errors.h"
#include "service/RenderService.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>
#include <sys/stat.h>

#include <cstdint>
#include <exception>
#include <string>

namespace pelto::browser {
namespace {

using emscripten::val;

TBrowserStudio& Studio() {
    static TBrowserStudio& Instance = []() -> TBrowserStudio& {
        // Emscripten starts with umask 0777, which leaves the files a download is written to
        // unreadable; a shell's umask instead.
        ::umask(022);
        static TBrowserStudio Made;
        return Made;
    }();
    return Instance;
}

val Bytes(const std::string& Body) {
    const auto* Data = reinterpret_cast<const std::uint8_t*>(Body.data());
    return val(emscripten::typed_memory_view(Body.size(), Data)).call<val>("slice");
}

val Answer(int Status, const std::string& Type, const std::string& Body) {
    val Made = val::object();
    Made.set("status", Status);
    Made.set("type", Type);
    Made.set("body", Bytes(Body));
    return Made;
}

std::string OpenGame(const std::string& Folder) {
    return Studio().Open(Folder);
}

val Request(const std::string& Path, const std::string& Query, const std::string& Language) {
    try {
        const TAnswer Made = Studio().Request(Path, Query, Language);
        return Answer(Made.Status, Made.Type, Made.Body);
    } catch (const std::exception& Error) {
        return Answer(500, "application/json", service::ErrorJson(ErrorText(Error, ": ")));
    }
}

val ExportFiles(const std::string& Query, const std::string& FileName) {
    val Made = val::object();
    try {
        val Files = val::array();
        for (const TDownload& Download : Studio().Export(Query, FileName)) {
            val File = val::object();
            File.set("name", Download.Name);
            File.set("type", Download.Type);
            File.set("body", Bytes(Download.Body));
            Files.call<void>("push", File);
        }
        Made.set("files", Files);
    } catch (const std::exception& Error) {
        Made.set("error", ErrorText(Error, ": "));
    }
    return Made;
}

std::string ImportFavorites(const std::string& IniText) {
    return Studio().ImportFavorites(IniText);
}

std::string ExportFavorites(const std::string& Json) {
    try {
        return Studio().ExportFavorites(Json);
    } catch (const std::exception& Error) {
        return service::ErrorJson(ErrorText(Error, ": "));
    }
}

val ProgramIcon(int Size) {
    return Bytes(ProgramIconPng(Size));
}

EMSCRIPTEN_BINDINGS(pelto_studio) {
    emscripten::function("openGame", &OpenGame);
    emscripten::function("request", &Request);
    emscripten::function("exportFiles", &ExportFiles);
    emscripten::function("importFavorites", &ImportFavorites);
    emscripten::function("exportFavorites", &ExportFavorites);
    emscripten::function("pageHtml", &StudioPageHtml);
    emscripten::function("pageCatalogue", &StudioCatalogue);
    emscripten::function("programIcon", &ProgramIcon);
}

} // namespace
} // namespace pelto::browser
