// The API's description, built into the service, against the routes the service answers: an
// endpoint without documentation, or documentation of none, fails here.
#include "export/PictureFormats.h"
#include "service/ServiceRequest.h"
#include "service/WebAssets.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using namespace pelto;
using namespace pelto::service;

namespace {

std::string_view Description() {
    for (const TWebAsset& Asset : WebAssets())
        if (Asset.Name == "openapi.json")
            return Asset.Text;
    return {};
}

/// The names of the members of the top-level "paths" object. A reader of the keys alone: what
/// the JSON means is the Python check's business.
std::set<std::string> DescribedPaths(std::string_view Json) {
    std::set<std::string> Paths;
    const std::size_t Start = Json.find("\"paths\"");
    if (Start == std::string_view::npos)
        return Paths;
    int Depth = 0;
    std::string Last;
    for (std::size_t I = Json.find('{', Start); I < Json.size(); ++I) {
        const char C = Json[I];
        if (C == '"') {
            std::string Text;
            for (++I; I < Json.size() && Json[I] != '"'; ++I)
                Text += Json[I] == '\\' ? Json[++I] : Json[I];
            Last = Text;
            continue;
        }
        if (C == ':' && Depth == 1)
            Paths.insert(Last);
        if (C == '{' || C == '[')
            ++Depth;
        if ((C == '}' || C == ']') && --Depth == 0)
            break;
    }
    return Paths;
}

/// Every path the service answers as API, as its description must name it.
std::set<std::string> ServedApiPaths() {
    std::set<std::string> Paths;
    for (const TRouteEntry& Route : RouteTable()) {
        if (Route.Scope != TRouteScope::Api && Route.Scope != TRouteScope::ApiOnly)
            continue;
        const std::string Path = std::string(ApiPrefix) + std::string(Route.Template);
        if (Path.find("{format}") == std::string::npos) {
            Paths.insert(Path);
            continue;
        }
        // Each format answers with a type of its own, so each it routes has a path of its own.
        for (const TExportFormat& Format : ExportFormats) {
            const std::string Filled =
                Path.substr(0, Path.find("{format}")) + std::string(Format.Name);
            if (Format.Served && RouteOf(Filled).Endpoint != TEndpoint::Unknown)
                Paths.insert(Filled);
        }
    }
    return Paths;
}

TEST(RenderServiceApiDescription, IsBuiltIntoTheService) {
    EXPECT_TRUE(Description().starts_with("{")) << "openapi.json is not among the web files";
    EXPECT_NE(Description().find("\"openapi\": \"3.1.0\""), std::string_view::npos);
}

TEST(RenderServiceApiDescription, NamesEveryRouteTheServiceAnswersAndNoOther) {
    const std::set<std::string> Described = DescribedPaths(Description());
    const std::set<std::string> Served = ServedApiPaths();
    for (const std::string& Path : Served)
        EXPECT_TRUE(Described.contains(Path)) << Path << " is served but not described";
    for (const std::string& Path : Described)
        EXPECT_TRUE(Served.contains(Path)) << Path << " is described but not served";
    EXPECT_GE(Served.size(), 18u);
}

TEST(RenderServiceApiDescription, ItsTemplatesAreRoutedAsTheTableSays) {
    // A template's parameters filled in must reach the route it stands for.
    for (const TRouteEntry& Route : RouteTable()) {
        std::string Path(Route.Template);
        for (const auto& [Name, Value] : {std::pair{"{code}", "AQo"},
                                          {"{group}", "1"},
                                          {"{slot}", "2"},
                                          {"{id}", "1001"},
                                          {"{format}", "png"},
                                          {"{file}", "page.js"}})
            if (const std::size_t At = Path.find(Name); At != std::string::npos)
                Path.replace(At, std::string_view(Name).size(), Value);
        EXPECT_EQ(RouteOf(Path).Endpoint == TEndpoint::Unknown, Route.Scope == TRouteScope::ApiOnly)
            << Path;
        EXPECT_EQ(RouteOf(std::string(ApiPrefix) + Path).Endpoint == TEndpoint::Unknown,
                  Route.Scope == TRouteScope::Page || Route.Scope == TRouteScope::Operator)
            << Path;
    }
}

} // namespace
