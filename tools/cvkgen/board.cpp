// Reading of board descriptions (JSON) and their translation into map-file records.
#include "tools/cvkgen/board.h"

#include "tools/cvkgen/flash_image_parse.h"
#include "tools/cvkgen/json_fields.h"

#include <nlohmann/json.hpp>

#include <bitset>
#include <fstream>
#include <set>
#include <sstream>
#include <unordered_map>

namespace cvkgen {

namespace {

using nlohmann::json;

// The first CMOS byte that automatic placement uses: below it lie the clock and the standard
// CMOS area that setup does not own.
constexpr unsigned kFirstFreeCmosByte = 0x40;
constexpr unsigned kCmosBytes = 256;
constexpr std::uint16_t kFirstAutoToken = 0x0010;
constexpr std::uint16_t kLabelItemType = 0x42;

template <typename T>
T Unsigned(const json& object, const char* key, const std::string& where, T fallback) {
    if (!object.contains(key))
        return fallback;
    return static_cast<T>(ToUnsigned(object.at(key), where + "/" + key, T(~T(0))));
}

// UTF-8 from the description to the map file's Windows-1252 bytes.
std::string ToFileText(const json& value, const std::string& where) {
    std::string bytes = ToWindows1252(value, where);
    if (bytes.find('\0') != std::string::npos)
        Fail(where, "contains a NUL character");
    if (bytes.size() >= cvk::kFileStringMax)
        Fail(where, "is longer than 255 bytes");
    return bytes;
}

std::string Text(const json& object, const char* key, const std::string& where,
                 const std::string& fallback = {}) {
    if (!object.contains(key))
        return fallback;
    return ToFileText(object.at(key), where + "/" + key);
}

template <typename T, std::size_t N>
void UnsignedArray(const json& object, const char* key, const std::string& where,
                   std::array<T, N>& out) {
    if (!object.contains(key))
        return;
    const json& list = object.at(key);
    if (!list.is_array() || list.size() != N)
        Fail(where + "/" + key, "expected " + std::to_string(N) + " numbers");
    for (std::size_t i = 0; i < N; ++i)
        out[i] = static_cast<T>(ToUnsigned(list[i], where + "/" + key, T(~T(0))));
}

std::vector<std::string> TextList(const json& list, const std::string& where) {
    if (!list.is_array())
        Fail(where, "expected a list of strings");
    std::vector<std::string> texts;
    for (const json& item : list)
        texts.push_back(ToFileText(item, where));
    return texts;
}

cvk::BuildInfo ParseBuild(const json& b) {
    const std::string where = "build";
    CheckKeys(b, where,
              {"biosId", "version", "dateStamp", "text1", "text5", "words", "maxLocked",
               "maxHidden", "notes"});
    cvk::BuildInfo info;
    info.header = {1, 0};
    info.biosId = Text(b, "biosId", where);
    info.biosVersion = Text(b, "version", where);
    info.buildDateStamp = Text(b, "dateStamp", where);
    info.text1 = Text(b, "text1", where);
    info.text5 = Text(b, "text5", where);
    UnsignedArray(b, "words", where, info.words);
    info.maxLockSettings = Unsigned<std::uint32_t>(b, "maxLocked", where, 0);
    info.maxHideSettings = Unsigned<std::uint32_t>(b, "maxHidden", where, 0);
    if (b.contains("notes")) {
        for (const json& note : b.at("notes")) {
            const auto texts = TextList(note, where + "/notes");
            if (texts.size() != 3)
                Fail(where + "/notes", "each note is three strings");
            info.triples.push_back({texts[0], texts[1], texts[2]});
        }
    }
    return info;
}

cvk::LanguageSet ParseLanguageSet(const json& set, const std::string& where) {
    CheckKeys(set, where, {"name", "codes"});
    cvk::LanguageSet result;
    result.name = Text(set, "name", where);
    if (set.contains("codes"))
        result.codes = TextList(set.at("codes"), where + "/codes");
    return result;
}

std::vector<cvk::LanguageSet> ParseLanguages(const json& l) {
    CheckKeys(l, "languages", {"builtIn", "packs"});
    std::vector<cvk::LanguageSet> sets;
    if (!l.contains("builtIn"))
        Fail("languages", "needs \"builtIn\"");
    sets.push_back(ParseLanguageSet(l.at("builtIn"), "languages/builtIn"));
    if (l.contains("packs"))
        for (const json& pack : l.at("packs"))
            sets.push_back(ParseLanguageSet(pack, "languages/packs"));
    return sets;
}

// Settings are parsed in one pass and placed in the CMOS image in a second, so that explicit
// places are known before the free bits are handed out.
class SetupParser {
public:
    std::vector<BoardItem> ParseRoot(const json& items) {
        std::vector<BoardItem> root = ParseItems(items, "setup");
        Collect(root);
        AssignTokens();
        PlaceAll();
        return root;
    }

private:
    struct Placement {
        json cmos;
        std::string where;
    };
    struct Pending {
        BoardSetting* setting;
        json cmos;
        std::string where;
    };

    // Pointers are taken once the tree stands, in the order of the description.
    void Collect(std::vector<BoardItem>& items) {
        for (BoardItem& item : items) {
            if (item.kind == ItemKind::Menu)
                Collect(item.items);
            if (item.kind != ItemKind::Setting)
                continue;
            const auto found = placements_.find(item.setting.controlId);
            if (found != placements_.end())
                pending_.push_back({&item.setting, found->second.cmos, found->second.where});
        }
    }

    std::vector<BoardItem> ParseItems(const json& items, const std::string& where) {
        if (!items.is_array())
            Fail(where, "expected a list of items");
        std::vector<BoardItem> result;
        for (std::size_t i = 0; i < items.size(); ++i)
            result.push_back(ParseItem(items[i], where + "[" + std::to_string(i) + "]"));
        return result;
    }

    BoardItem ParseItem(const json& item, const std::string& where) {
        if (item.contains("menu"))
            return ParseMenu(item, where);
        if (item.contains("label"))
            return ParseLabel(item, where);
        if (item.contains("setting"))
            return ParseSetting(item, where);
        Fail(where, "an item is a \"menu\", a \"setting\" or a \"label\"");
    }

    BoardItem ParseMenu(const json& item, const std::string& where) {
        CheckKeys(item, where, {"menu", "items"});
        BoardItem menu;
        menu.kind = ItemKind::Menu;
        if (!item.at("menu").is_null())
            menu.text = ToFileText(item.at("menu"), where + "/menu");
        // Refused before its items are read: the engine would leave the deeper menus out, and
        // every level's place text grows with the depth.
        if (depth_ >= cvk::kMaxGroupDepth)
            Fail(where, "menus nest deeper than the " + std::to_string(cvk::kMaxGroupDepth) +
                            " levels the engine reads");
        const std::string inner = where + "(" + menu.text.value_or("unnamed") + ")";
        menu.templateId = nextTemplate_++;
        ++depth_;
        menu.items = ParseItems(item.value("items", json::array()), inner);
        --depth_;
        return menu;
    }

    BoardItem ParseLabel(const json& item, const std::string& where) {
        CheckKeys(item, where, {"label", "itemType"});
        BoardItem label;
        label.kind = ItemKind::Label;
        label.text = ToFileText(item.at("label"), where + "/label");
        label.itemType = Unsigned<std::uint16_t>(item, "itemType", where, kLabelItemType);
        if (label.itemType == cvk::TemplateItem::kSetting ||
            label.itemType == cvk::TemplateItem::kSubGroup)
            Fail(where, "a label cannot have the item type of a setting or a menu");
        return label;
    }

    BoardItem ParseSetting(const json& item, const std::string& where) {
        CheckKeys(item, where,
                  {"setting", "keyword", "help", "choices", "default", "type", "token",
                   "attributes", "cmos"});
        BoardItem result;
        BoardSetting& s = result.setting;
        s.prompt = ToFileText(item.at("setting"), where + "/setting");
        const std::string here = where + "(" + s.prompt + ")";
        if (item.contains("keyword") && !item.at("keyword").is_null())
            s.keyword = ToFileText(item.at("keyword"), here + "/keyword");
        s.help = Text(item, "help", here);
        s.controlType = Unsigned<std::uint16_t>(item, "type", here, 1);
        s.attributes = Unsigned<std::uint32_t>(item, "attributes", here, 0);
        s.controlId = nextControl_++;
        if (nextControl_ == 0)
            Fail(here, "more than 65535 controls");
        ParseChoices(item, here, s);
        if (s.controlType == 2 || s.controlType == 3) {
            if (item.contains("token") || item.contains("cmos"))
                Fail(here, "controls of type 2 and 3 have no token");
            return result;
        }
        if (item.contains("token")) {
            s.tokenId = Unsigned<std::uint16_t>(item, "token", here, 0);
            if (s.tokenId == 0)
                Fail(here, "token 0 is not a token");
            if (!explicitTokens_.insert(s.tokenId).second)
                Fail(here, "token " + std::to_string(s.tokenId) + " is used twice");
        }
        placements_[s.controlId] = {item.value("cmos", json()), here};
        return result;
    }

    void ParseChoices(const json& item, const std::string& where, BoardSetting& s) {
        std::uint32_t next = 0;
        for (const json& choice : item.value("choices", json::array())) {
            BoardChoice c;
            if (choice.is_object()) {
                CheckKeys(choice, where + "/choices", {"text", "value"});
                c.text = ToFileText(choice.at("text"), where + "/choices/text");
                next = Unsigned<std::uint16_t>(choice, "value", where + "/choices", next);
            } else {
                c.text = ToFileText(choice, where + "/choices");
            }
            if (next > 0xFFFF)
                Fail(where + "/choices", "value above 65535");
            c.value = static_cast<std::uint16_t>(next++);
            s.choices.push_back(c);
        }
        s.defaultValue = s.choices.empty() ? 0 : s.choices.front().value;
        if (!item.contains("default"))
            return;
        const json& d = item.at("default");
        if (!d.is_string() || d.get<std::string>().rfind("0x", 0) == 0) {
            s.defaultValue = static_cast<std::uint16_t>(ToUnsigned(d, where + "/default", 0xFFFF));
            return;
        }
        const std::string text = ToFileText(d, where + "/default");
        for (const BoardChoice& c : s.choices)
            if (c.text == text) {
                s.defaultValue = c.value;
                return;
            }
        Fail(where + "/default", "\"" + d.get<std::string>() + "\" is none of the choices");
    }

    void AssignTokens() {
        std::uint16_t next = kFirstAutoToken;
        for (Pending& p : pending_) {
            if (p.setting->tokenId != 0)
                continue;
            while (explicitTokens_.count(next))
                ++next;
            p.setting->tokenId = next++;
        }
    }

    void PlaceAll() {
        for (Pending& p : pending_) {
            if (p.cmos.is_object())
                PlaceExplicit(p);
            else if (!p.cmos.is_null() && p.cmos != json("none"))
                Fail(p.where + "/cmos", "expected {\"byte\", \"bit\", \"bits\"} or \"none\"");
        }
        for (Pending& p : pending_)
            if (p.cmos.is_null())
                PlaceAuto(p);
    }

    static unsigned WidthFor(const BoardSetting& s) {
        unsigned widest = s.defaultValue;
        for (const BoardChoice& c : s.choices)
            widest = std::max<unsigned>(widest, c.value);
        unsigned bits = 1;
        while ((widest >> bits) != 0)
            ++bits;
        return bits;
    }

    void Claim(const Pending& p, unsigned byte, unsigned bit, unsigned bits) {
        if (bits == 0 || bit + bits > 8)
            Fail(p.where, "a CMOS value lies within one byte (bit + bits <= 8, bits >= 1)");
        if (byte == 0 && bit == 0)
            Fail(p.where, "bit offset 0 means no place in the CMOS image");
        for (unsigned b = bit; b < bit + bits; ++b) {
            if (used_[byte * 8 + b])
                Fail(p.where, "CMOS byte " + std::to_string(byte) + " bit " + std::to_string(b) +
                                  " is already used");
            used_[byte * 8 + b] = true;
        }
        BoardSetting& s = *p.setting;
        s.bitOffset = static_cast<std::uint16_t>(byte * 8 + bit);
        s.bitSize = static_cast<std::uint16_t>(bits);
        s.bitMask = static_cast<std::uint16_t>((1u << bits) - 1);
    }

    void PlaceExplicit(const Pending& p) {
        CheckKeys(p.cmos, p.where + "/cmos", {"byte", "bit", "bits"});
        const unsigned byte = Unsigned<unsigned>(p.cmos, "byte", p.where, kCmosBytes);
        if (byte >= kCmosBytes)
            Fail(p.where + "/cmos", "byte beyond the 256-byte CMOS image");
        const unsigned bit = Unsigned<unsigned>(p.cmos, "bit", p.where, 0);
        const unsigned bits = Unsigned<unsigned>(p.cmos, "bits", p.where, WidthFor(*p.setting));
        Claim(p, byte, bit, bits);
    }

    void PlaceAuto(const Pending& p) {
        const unsigned bits = WidthFor(*p.setting);
        for (unsigned byte = kFirstFreeCmosByte; byte < kCmosBytes; ++byte)
            for (unsigned bit = 0; bit + bits <= 8; ++bit)
                if (IsFree(byte, bit, bits)) {
                    Claim(p, byte, bit, bits);
                    return;
                }
        Fail(p.where, "no room left in the CMOS image");
    }

    bool IsFree(unsigned byte, unsigned bit, unsigned bits) const {
        for (unsigned b = bit; b < bit + bits; ++b)
            if (used_[byte * 8 + b])
                return false;
        return true;
    }

    std::unordered_map<std::uint16_t, Placement> placements_;
    std::vector<Pending> pending_;
    std::set<std::uint16_t> explicitTokens_;
    std::bitset<kCmosBytes * 8> used_;
    std::uint16_t nextControl_ = 1;
    std::uint32_t nextTemplate_ = 1;
    int depth_ = 0; // menus open around the item being read
};

// ---- records ----

class RecordBuilder {
public:
    explicit RecordBuilder(MapFileContent& out) : out_(out) {}

    void Form(std::uint32_t templateId, const std::vector<BoardItem>& items) {
        cvk::TemplateRecord record;
        record.templateId = templateId;
        record.trailer = 0xFFFFFFFF;
        std::vector<const BoardItem*> menus;
        for (const BoardItem& item : items) {
            cvk::TemplateItem t;
            t.kept0 = static_cast<std::uint32_t>(record.items.size());
            switch (item.kind) {
            case ItemKind::Setting:
                t.type = cvk::TemplateItem::kSetting;
                t.controlId = item.setting.controlId;
                Setting(item.setting);
                break;
            case ItemKind::Menu:
                t.type = cvk::TemplateItem::kSubGroup;
                t.nameStringId = item.text ? StringId(*item.text) : cvk::BiosStringTable::kNoString;
                t.subTemplateId = item.templateId;
                menus.push_back(&item);
                break;
            case ItemKind::Label:
                t.type = item.itemType;
                t.nameStringId = StringId(*item.text);
                break;
            }
            record.items.push_back(t);
        }
        out_.setupTemplate.records.push_back(std::move(record));
        for (const BoardItem* menu : menus)
            Form(menu->templateId, menu->items);
    }

private:
    void Setting(const BoardSetting& s) {
        cvk::ControlRecord c;
        c.type = s.controlType;
        c.controlId = s.controlId;
        c.promptStringId = StringId(s.prompt);
        if (c.HasToken())
            c.typeBlock[0] = s.tokenId;
        if (!s.help.empty()) {
            c.helpFlags = cvk::ControlRecord::kHelpFlag;
            c.helpStringId = StringId(s.help);
        } else {
            c.helpStringId = cvk::BiosStringTable::kNoString;
        }
        c.optionCount = static_cast<std::uint16_t>(s.choices.size());
        if (!s.choices.empty())
            c.optionFlags = cvk::ControlRecord::kOptionListFlag;
        for (const BoardChoice& choice : s.choices)
            c.options.push_back({StringId(choice.text), choice.value});
        out_.controls.records.push_back(std::move(c));
        if (s.controlType == 2 || s.controlType == 3)
            return;
        cvk::TokenRecord t;
        t.tokenId = s.tokenId;
        t.attributes = s.attributes;
        t.bitOffset = s.bitOffset;
        t.bitMask = s.bitMask;
        t.bitSize = s.bitSize;
        t.defaultValue = s.defaultValue;
        out_.tokens.records.push_back(t);
        if (s.keyword)
            out_.portable.records.push_back({*s.keyword, s.tokenId});
    }

    std::uint16_t StringId(const std::string& text) {
        const auto found = ids_.find(text);
        if (found != ids_.end())
            return found->second;
        if (out_.strings.size() >= cvk::BiosStringTable::kNoString)
            throw BoardError("more than 65535 distinct strings");
        const auto id = static_cast<std::uint16_t>(out_.strings.size());
        out_.strings.push_back(text);
        ids_.emplace(text, id);
        return id;
    }

    MapFileContent& out_;
    std::unordered_map<std::string, std::uint16_t> ids_;
};

} // namespace

Board ParseBoard(const std::string& text) {
    json doc;
    try {
        doc = json::parse(text);
    } catch (const json::exception& e) {
        throw BoardError(std::string("not valid JSON: ") + e.what());
    }
    CheckKeys(doc, "board", {"build", "languages", "splash", "checksum", "setup", "modules"});
    Board board;
    try {
        board.build = ParseBuild(doc.value("build", json::object()));
        board.languages = ParseLanguages(doc.value("languages", json{{"builtIn", json::object()}}));
        if (doc.contains("splash")) {
            const json& s = doc.at("splash");
            CheckKeys(s, "splash", {"words", "text1", "text2"});
            UnsignedArray(s, "words", "splash", board.splash.words);
            board.splash.text1 = Text(s, "text1", "splash");
            board.splash.text2 = Text(s, "text2", "splash");
        }
        UnsignedArray(doc, "checksum", "board", board.checksum.words);
        board.setup = SetupParser().ParseRoot(doc.value("setup", json::array()));
        if (doc.contains("modules"))
            board.modules = ParseModules(doc.at("modules"));
    } catch (const json::exception& e) {
        throw BoardError(std::string("unexpected value: ") + e.what());
    }
    return board;
}

Board LoadBoard(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw BoardError("cannot open " + path);
    std::ostringstream text;
    text << in.rdbuf();
    try {
        return ParseBoard(text.str());
    } catch (const BoardError& e) {
        throw BoardError(path + ": " + e.what());
    }
}

MapFileContent BuildMapFile(const Board& board) {
    MapFileContent out;
    out.buildInfo = board.build;
    out.languages.records = board.languages;
    out.splash = board.splash;
    out.checksum = board.checksum;
    out.stringHeader.kept1 = 1;
    out.stringHeader.text4 = {'e', 'n', 'U', 'S'};
    out.stringHeader.text2 = {'u', 's'};
    RecordBuilder(out).Form(0, board.setup);
    return out;
}

} // namespace cvkgen
