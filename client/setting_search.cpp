// The search over a workspace's settings.
#include "client/setting_search.h"

namespace cvkclient {
namespace {

class Needle {
public:
    explicit Needle(const std::string& text) : folded_(FoldCase(text)) {}

    bool In(const std::string& haystack) const {
        return FoldCase(haystack).find(folded_) != std::u16string::npos;
    }

private:
    std::u16string folded_;
};

void FindCmos(const CmosTree& tree, const Needle& needle, std::vector<FoundSetting>* found) {
    for (const CmosSetting& setting : tree.settings) {
        FoundSetting hit;
        if (needle.In(setting.name))
            hit.fields.push_back("name");
        if (!setting.keyword.empty() && needle.In(setting.keyword))
            hit.fields.push_back("keyword");
        if (needle.In(setting.help))
            hit.fields.push_back("help");
        for (const std::string& choice : setting.choices)
            if (needle.In(choice)) {
                hit.fields.push_back("choice");
                break;
            }
        if (hit.fields.empty())
            continue;
        hit.path = setting.FullPath();
        hit.cmos = &setting;
        found->push_back(std::move(hit));
    }
}

} // namespace

std::vector<FoundSetting> FindSettings(const WorkspaceSnapshot& workspace,
                                       const std::string& text) {
    const Needle needle(text);
    std::vector<FoundSetting> found;
    if (workspace.cmos)
        FindCmos(*workspace.cmos, needle, &found);
    for (const ThermalValue& value : workspace.thermal)
        if (needle.In(value.path.back()))
            found.push_back({FoundKind::kThermal, value.path, {"name"}, nullptr, &value, nullptr});
    for (const SmbiosValue& value : workspace.smbios) {
        FoundSetting hit{FoundKind::kSmbios, {value.name}, {}, nullptr, nullptr, &value};
        if (needle.In(value.name))
            hit.fields.push_back("name");
        if (needle.In(value.key))
            hit.fields.push_back("key");
        if (!hit.fields.empty())
            found.push_back(std::move(hit));
    }
    return found;
}

} // namespace cvkclient
