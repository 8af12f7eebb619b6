// Randomised board descriptions for cvkgen and newer builds made from them: menus, sub-menus
// and settings with and without keywords, and the edits a newer build brings (renamed, moved,
// added and removed settings and answers, new defaults, dropped keywords).
#pragma once

#include <nlohmann/json.hpp>

#include <functional>
#include <random>
#include <string>

namespace cvktest {

using Json = nlohmann::json;

inline Json RandomSetting(std::mt19937& random, int serial) {
    const std::string names[] = {"Enabled", "Disabled", "Auto", "Fast", "Slow", "Off", "On"};
    Json setting = {{"setting", "Setting " + std::to_string(serial)}};
    if (random() % 4 != 0)
        setting["keyword"] = "CMOS_K" + std::to_string(serial);
    if (random() % 2)
        setting["help"] = "Help of setting " + std::to_string(serial);
    Json choices = Json::array();
    const int count = 1 + int(random() % 4);
    for (int i = 0; i < count; ++i)
        choices.push_back(names[(serial + i) % 7]);
    setting["choices"] = choices;
    setting["default"] = choices[random() % count];
    return setting;
}

// A board of a few menus, some with sub-menus, and about `settings` settings.
inline Json RandomBoard(unsigned seed, int settings = 30) {
    std::mt19937 random(seed);
    Json menus = Json::array();
    int serial = 0;
    for (int m = 0; serial < settings; ++m) {
        Json items = Json::array();
        const int count = 1 + int(random() % 6);
        for (int i = 0; i < count && serial < settings; ++i)
            items.push_back(RandomSetting(random, serial++));
        if (random() % 2) {
            Json sub = Json::array();
            for (int i = 0; i < 3 && serial < settings; ++i)
                sub.push_back(RandomSetting(random, serial++));
            items.push_back({{"menu", "Sub " + std::to_string(m)}, {"items", sub}});
        }
        menus.push_back({{"menu", "Menu " + std::to_string(m)}, {"items", items}});
    }
    return {
        {"build",
         {{"biosId", "RANDOM.86A." + std::to_string(seed)}, {"maxLocked", 8}, {"maxHidden", 8}}},
        {"setup", menus}};
}

// Every setting of a board description, for edits in place.
inline void EachSetting(Json& items, const std::function<void(Json&, Json&)>& visit) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        Json& item = items[i];
        if (item.contains("menu"))
            EachSetting(item["items"], visit);
        else
            visit(items, item);
    }
}

// The board's next build: each setting changed in one random way, or not at all.
inline Json NewerBuild(const Json& board, unsigned seed) {
    std::mt19937 random(seed);
    Json newer = board;
    newer["build"]["version"] = "P2." + std::to_string(seed);
    int serial = 1000;
    Json moved = Json::array();
    for (Json& menu : newer["setup"])
        EachSetting(menu["items"], [&](Json& items, Json& setting) {
            Json& choices = setting["choices"];
            switch (random() % 12) {
            case 0:
                setting["setting"] = setting["setting"].get<std::string>() + " (new)";
                break;
            case 1:
                setting["default"] = choices[random() % choices.size()];
                break;
            case 2:
                choices.push_back("Extra");
                break;
            case 3:
                if (choices.size() > 1 && choices.back() != setting["default"])
                    choices.erase(choices.size() - 1);
                break;
            case 4: {
                std::string name = choices[0];
                for (char& c : name)
                    c = char(std::toupper(static_cast<unsigned char>(c)));
                if (setting["default"] == choices[0])
                    setting["default"] = name;
                choices[0] = name;
                break;
            }
            case 5:
                setting["help"] = "Rewritten help";
                break;
            case 6:
                setting.erase("keyword");
                break;
            case 7:
                items.push_back(RandomSetting(random, serial++));
                break;
            case 8:
                if (setting.contains("keyword")) {
                    moved.push_back(setting);
                    setting["setting"] = "Removed " + std::to_string(serial++);
                    setting.erase("keyword");
                }
                break;
            }
        });
    if (!moved.empty())
        newer["setup"].push_back({{"menu", "Moved Here"}, {"items", moved}});
    return newer;
}

} // namespace cvktest
