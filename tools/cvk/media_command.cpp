// cvk media: the production line's media set of a workspace written to a folder, headless.
#include "tools/cvk/media_command.h"

#include "media/base_name.h"
#include "media/media_writer.h"
#include "platform/com/runtime.h"
#include "tools/cvk/components.h"
#include "tools/cvk/ini_warnings.h"
#include "tools/cvk/session.h"

#include <strings.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>

namespace cvktool {

namespace {

namespace media = cvk::media;

constexpr LONG kMediaComponents =
    SUBSYS_CMOS | SUBSYS_SMBIOS | SUBSYS_ENVCTL | SUBSYS_SPLASH | SUBSYS_BOM;

struct MediaArgs {
    std::vector<std::string> words;
    std::map<std::string, std::string> values; // options with a value
    std::map<std::string, bool> flags;
};

const char* const kValueOptions[] = {"--base", "--components", "--bios",
                                     "--lang", "--cvtool",     "--romwrite"};
const char* const kFlagOptions[] = {"--batch", "--log", "--report", "--overwrite"};

// Splits the arguments; a usage error is reported when this returns an exit status.
std::optional<int> ParseMediaArgs(const std::vector<std::string>& args, MediaArgs* parsed) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!arg.starts_with("--")) {
            parsed->words.push_back(arg);
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        bool known = false;
        for (const char* option : kValueOptions) {
            if (name != option)
                continue;
            known = true;
            if (equals != std::string::npos)
                parsed->values[name] = arg.substr(equals + 1);
            else if (i + 1 < args.size())
                parsed->values[name] = args[++i];
            else
                return ReportUsage("media: " + name + " needs a value");
        }
        for (const char* flag : kFlagOptions)
            if (arg == flag)
                known = parsed->flags[arg] = true;
        if (!known)
            return ReportUsage("media: unknown option " + arg);
    }
    if (parsed->words.size() != 2)
        return ReportUsage("media: expected a workspace file and a folder");
    return std::nullopt;
}

// A chosen file must carry the extension its box expects.
std::optional<int> CheckExtension(const MediaArgs& parsed, const char* option,
                                  const char* extension) {
    const auto found = parsed.values.find(option);
    if (found == parsed.values.end())
        return std::nullopt;
    const std::string actual = std::filesystem::path(found->second).extension().string();
    if (actual.size() == 4 && strcasecmp(actual.c_str(), extension) == 0)
        return std::nullopt;
    return ReportUsage(std::string("media: ") + option + " \"" + found->second +
                       "\": " + media::kWrongFileFormat);
}

std::optional<int> Choose(const MediaArgs& parsed, media::MediaChoices* choices) {
    auto value = [&](const char* name) {
        const auto found = parsed.values.find(name);
        return found == parsed.values.end() ? std::string() : found->second;
    };
    choices->destination = parsed.words[1];
    if (parsed.values.count("--base"))
        choices->baseName = value("--base");
    if (!media::IsDosBaseName(choices->baseName))
        return ReportUsage("media: --base \"" + choices->baseName +
                           "\" is not a DOS file name (1 to 8 characters, no blanks or dots)");
    for (auto [option, extension] : {std::pair{"--bios", ".bio"}, std::pair{"--lang", ".lng"}})
        if (auto bad = CheckExtension(parsed, option, extension))
            return bad;
    choices->batchFile = parsed.flags.count("--batch") > 0;
    choices->commandMask =
        (parsed.flags.count("--log") ? 1 : 0) | (parsed.flags.count("--report") ? 2 : 0);
    choices->copyCvtool = parsed.values.count("--cvtool") > 0;
    choices->cvtoolFolder = value("--cvtool");
    choices->copyRomwrite = parsed.values.count("--romwrite") > 0;
    choices->romwriteFolder = value("--romwrite");
    choices->copyLangPack = parsed.values.count("--lang") > 0;
    choices->langPackPath = value("--lang");
    choices->copyBios = parsed.values.count("--bios") > 0;
    choices->biosPath = value("--bios");
    return std::nullopt;
}

media::MediaCallbacks Callbacks(bool overwrite) {
    media::MediaCallbacks on;
    on.tell = [](const media::Notice& notice) {
        const bool info = notice.severity == media::Severity::kInformation;
        std::fprintf(info ? stdout : stderr, "%s%s\n", info ? "" : "cvk: ", notice.text.c_str());
    };
    on.confirmOverwrite = [overwrite](const std::string&) { return overwrite; };
    // Nobody to insert a medium: the run ends.
    on.retryMedium = [] {
        std::fprintf(stderr, "cvk: %s\n", media::kInsertMedium);
        return false;
    };
    on.progress = [](int step, const std::string& what) {
        std::printf("[%d/%d] %s\n", step, media::kProgressSteps, what.c_str());
    };
    on.copied = [](const std::string& target, bool kept) {
        if (kept)
            std::printf("kept %s (exists; --overwrite replaces it)\n", target.c_str());
        else
            std::printf("copied %s\n", target.c_str());
    };
    on.engineFailure = [](const std::string& what, HRESULT hr) {
        ReportFailure("cannot write " + what, hr);
    };
    return on;
}

} // namespace

int RunMediaCommand(const std::vector<std::string>& args) {
    MediaArgs parsed;
    if (auto bad = ParseMediaArgs(args, &parsed))
        return *bad;
    media::MediaChoices choices;
    if (auto bad = Choose(parsed, &choices))
        return *bad;
    cvk::ComInitializer com;
    Session session;
    if (auto failed = session.Open(parsed.words[0]))
        return *failed;
    if (const auto list = parsed.values.find("--components"); list != parsed.values.end()) {
        std::string unknown;
        const std::optional<LONG> mask = ParseComponents(list->second, &unknown);
        if (!mask)
            return ReportUsage("media: unknown component \"" + unknown + "\"");
        choices.subsystemMask = *mask;
    } else {
        LONG mask = 0;
        if (HRESULT hr = session.workspace()->get_SubsystemMask(&mask); FAILED(hr))
            return ReportFailure("\"" + parsed.words[0] + "\"", hr);
        choices.subsystemMask = mask & kMediaComponents;
    }
    ClearErrorText();
    const media::MediaRun run = media::WriteMedia(session.workspace(), choices,
                                                  Callbacks(parsed.flags.count("--overwrite")));
    if (run != media::MediaRun::kSucceeded)
        return kExitEngine;
    WarnAboutIniFile(session.workspace(), choices.subsystemMask);
    return kExitOk;
}

} // namespace cvktool
