// Large generated boards for the benchmarks.
#include "bench/generated_board.h"

#include <algorithm>
#include <string>

namespace bench {
namespace {

constexpr std::size_t kDistinctPrompts = 1000;

} // namespace

cvkgen::MapFileContent GeneratedBoard(std::size_t settings, std::size_t firstMenu,
                                      std::size_t perMenu) {
    cvkgen::MapFileContent m;
    m.buildInfo.biosId = "BENCH.BIOS";
    m.buildInfo.buildDateStamp = "0307150930";
    m.buildInfo.maxLockSettings = 16;
    m.buildInfo.maxHideSettings = 16;
    m.strings = {"Menu", "Disabled", "Enabled", "Auto"};
    for (std::size_t i = 0; i < kDistinctPrompts; ++i)
        m.strings.push_back("Setting " + std::to_string(i));
    m.languages.records = {{"Standard", {"us"}}};
    cvk::TemplateRecord root{0, {}, 0};
    std::size_t s = 0;
    for (std::uint32_t g = 1; s < settings; ++g) {
        cvk::TemplateItem menu;
        menu.type = cvk::TemplateItem::kSubGroup;
        menu.nameStringId = 0;
        menu.subTemplateId = g;
        root.items.push_back(menu);
        cvk::TemplateRecord form{g, {}, 0};
        const std::size_t end = std::min(settings, s + (g == 1 ? firstMenu : perMenu));
        for (; s < end; ++s) {
            const auto id = static_cast<std::uint16_t>(s + 1);
            cvk::TemplateItem item;
            item.type = cvk::TemplateItem::kSetting;
            item.controlId = id;
            form.items.push_back(item);
            cvk::ControlRecord control;
            control.type = 1;
            control.controlId = id;
            control.promptStringId = static_cast<std::uint16_t>(4 + s % kDistinctPrompts);
            control.optionFlags = cvk::ControlRecord::kOptionListFlag;
            control.typeBlock = {id, 0, 0, 0};
            control.helpStringId = 0xFFFF;
            control.optionCount = 3;
            control.options = {{1, 0}, {2, 1}, {3, 2}};
            m.controls.records.push_back(control);
            cvk::TokenRecord token;
            token.tokenId = id;
            token.bitOffset = static_cast<std::uint16_t>(8 + (2 * s) % 2040);
            token.bitMask = 3;
            token.bitSize = 2;
            token.defaultValue = 1;
            m.tokens.records.push_back(token);
            m.portable.records.push_back({"CMOS_S" + std::to_string(s), id});
        }
        m.setupTemplate.records.push_back(form);
    }
    m.setupTemplate.records.insert(m.setupTemplate.records.begin(), root);
    return m;
}

} // namespace bench
