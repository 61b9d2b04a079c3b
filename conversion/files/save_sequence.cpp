#include "conversion/files/save_sequence.h"

namespace quellmark {

CommitResult SaveInOrder(SaveSteps& Steps, const CommitGate& GoOn, FolderFlushes* Later) {
    if (!GoOn(RunStage::Saving)) {
        return {};
    }
    Steps.KeepAttributes();
    // Data that never reached the disk must not take the name of a track that did.
    Steps.FlushData();
    if (!GoOn(RunStage::Placing)) {
        return {};
    }
    Steps.TakeName();
    return Steps.FlushName(Later);
}

}  // namespace quellmark
