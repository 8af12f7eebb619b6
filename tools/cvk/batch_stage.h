// The files of one batch run, written aside and moved into the target folder together.
#pragma once

#include "platform/com/types.h"

#include <string>
#include <vector>

namespace cvktool {

// A hidden folder inside the target folder that takes a run's files. Commit moves them into the
// target folder by renaming, which needs no disk space, so that a run that fails on the way
// (disk full, engine refusal) leaves the target folder as it was. The folder and whatever is
// left in it are removed when the stage is destroyed.
class BatchStage {
public:
    BatchStage() = default;
    BatchStage(const BatchStage&) = delete;
    BatchStage& operator=(const BatchStage&) = delete;
    ~BatchStage();

    // Creates the stage in `target` and copies the listed files that exist there into it, so
    // that an edit in the stage starts from them. Fails with the reason as error text.
    HRESULT Create(const std::string& target, const std::vector<std::string>& copied);
    const std::string& folder() const { return stage_; }
    // Moves the named files from the stage into the target folder, each over an earlier one.
    HRESULT Commit(const std::vector<std::string>& names);

private:
    std::string target_;
    std::string stage_;
};

} // namespace cvktool
