// Creating the module engine and locating flash images.
#include "engine/core/module_engine.h"

#include "platform/com/runtime.h"
#include "platform/text/codepage.h"

#include <sys/stat.h>

namespace cvk {

HRESULT CreateModuleEngine(ComPtr<IModweaveEngine>* engine) {
    return CoCreateInstance(CLSID_ModweaveEngine, nullptr, CLSCTX_ALL, IModweaveEngine::iid,
                            engine->put_void());
}

std::u16string FlashImagePathOf(std::u16string_view mapFile) {
    const std::size_t slash = mapFile.find_last_of(u"/\\");
    const std::size_t nameStart = slash == std::u16string_view::npos ? 0 : slash + 1;
    std::size_t dot = mapFile.find_last_of(u'.');
    if (dot == std::u16string_view::npos || dot < nameStart)
        dot = mapFile.size();
    return std::u16string(mapFile.substr(0, dot)) + u".bio";
}

bool FileExists(std::u16string_view path) {
    struct stat info {};
    return !path.empty() && ::stat(text::Utf16ToUtf8(path).c_str(), &info) == 0 &&
           S_ISREG(info.st_mode);
}

} // namespace cvk
