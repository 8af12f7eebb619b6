// The edits of the settings lists as the history records them: what the edited settings held
// before and after, read from the engine and put back through the same calls the edit made.
#pragma once

#include "engine/include/cvkserver.h"
#include "platform/com/comptr.h"
#include "platform/com/variant.h"

#include <QString>

#include <vector>

class CCvkDoc;

// What the user edits of one CMOS setting.
struct CmosSettingState {
    cvk::ComPtr<ISettingNode> setting;
    cvk::ComPtr<IChoiceNode> choice;
    QString choiceName;
    bool locked = false;
    bool hidden = false;
    bool review = false;
};
using CmosState = std::vector<CmosSettingState>;

// One setting, or every setting of the CMOS tree. Throw CEngineError on failure.
CmosState CaptureSetting(ISettingNode* setting);
CmosState CaptureCmos(ICmos* cmos);
// Records the edit `name` of `doc` when the settings changed from `before` to `after` (captured
// in the same way), keeping only the settings that changed.
void RecordCmosEdit(CCvkDoc* doc, const QString& name, const CmosState& before,
                    const CmosState& after);

// An SMBIOS string's value and prompt flag.
struct SmbiosState {
    cvk::ComPtr<ISmbiosNode> node;
    QString value;
    bool prompt = false;
};
SmbiosState CaptureSmbios(ISmbiosNode* node);
void RecordSmbiosEdit(CCvkDoc* doc, const QString& name, const SmbiosState& before,
                      const SmbiosState& after);

// A thermal setting's value.
struct ThermState {
    cvk::ComPtr<IThermSetting> setting;
    cvk::Variant value;
    QString text;
};
ThermState CaptureTherm(IThermSetting* setting);
void RecordThermEdit(CCvkDoc* doc, const ThermState& before, const ThermState& after);
