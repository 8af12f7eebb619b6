// The newer demo build.
#include "tests/gui/compare/newer_build.h"

#include "tests/gui/modules/modular_board.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <functional>
#include <iterator>

namespace guitest {
namespace {

using Json = nlohmann::ordered_json;

// Calls `visit` with each list of menu items, depth first.
void EachItemList(Json& items, const std::function<void(Json&)>& visit) {
    visit(items);
    for (Json& item : items)
        if (item.contains("menu"))
            EachItemList(item["items"], visit);
}

Json* FindMenu(Json& setup, const std::string& name) {
    Json* found = nullptr;
    EachItemList(setup, [&](Json& items) {
        for (Json& item : items)
            if (item.value("menu", "") == name)
                found = &item;
    });
    return found;
}

// Takes the setting with `keyword` out of its menu and returns it.
Json TakeSetting(Json& setup, const std::string& keyword) {
    Json taken;
    EachItemList(setup, [&](Json& items) {
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i].value("keyword", "") == keyword) {
                taken = items[i];
                items.erase(i);
                return;
            }
    });
    return taken;
}

Json& Setting(Json& setup, const std::string& keyword) {
    Json* found = nullptr;
    EachItemList(setup, [&](Json& items) {
        for (Json& item : items)
            if (item.value("keyword", "") == keyword)
                found = &item;
    });
    return *found;
}

} // namespace

bool WriteNewerDemoBuild(const QString& path) {
    std::ifstream in(CORVANE_DEMO_BOARD);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Json board = Json::parse(text, nullptr, false);
    if (!board.is_object())
        return false;
    board["build"]["biosId"] = "TR865PE.86A.0038.P12";
    board["build"]["version"] = "P1.12";
    Json& setup = board["setup"];
    Setting(setup, "CMOS_XD_BIT")["default"] = "Disabled";
    Setting(setup, "CMOS_CPU_TM")["choices"].push_back("TM2 Adaptive");
    Setting(setup, "CMOS_HALT_ON")["setting"] = "Stop On";
    TakeSetting(setup, "CMOS_C1E");
    (*FindMenu(setup, "IDE Configuration"))["items"].push_back(TakeSetting(setup, "CMOS_CMP"));
    (*FindMenu(setup, "CPU Configuration"))["items"].push_back(
        {{"setting", "Boot Splash"},
         {"keyword", "CMOS_BOOT_SPLASH"},
         {"help", "Shows the logo while the system starts."},
         {"choices", {"Off", "On"}},
         {"default", "On"}});
    return WriteBoardWithImage(path, board.dump());
}

} // namespace guitest
