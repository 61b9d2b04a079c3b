// The order in which a finished output is put in place, the same on every system: nothing
// takes the output's name before it has the earlier file's attributes and is on disk, and a
// "no" or a failure at any step leaves the name alone.
#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "conversion/files/save_sequence.h"

namespace quellmark {
namespace {

// Steps that write down what was done, failing at the step asked.
class WrittenSteps final : public SaveSteps {
  public:
    explicit WrittenSteps(std::string FailAt) : FailAt_(std::move(FailAt)) {}
    void KeepAttributes() override { Do("keep"); }
    void FlushData() override { Do("flush"); }
    void TakeName() override { Do("name"); }
    CommitResult FlushName(FolderFlushes*) override {
        Do("flush-name");
        return {true, std::nullopt, nullptr};
    }
    std::string Done;

  private:
    void Do(const std::string& Step) {
        Done += Step + " ";
        if (Step == FailAt_) {
            ThrowFailure(FailedStep::WriteOutput, "out.trk", Reason::Because(Cause::IoError));
        }
    }
    std::string FailAt_;
};

struct OrderRow {
    const char* Name;
    const char* FailAt;
    RunStage RefusedAt;  // Converting: no stage is refused
    const char* Done;
    bool Placed;
};

class SaveOrder : public testing::TestWithParam<OrderRow> {};

TEST_P(SaveOrder, NoNameIsTakenBeforeTheFileIsWhole) {
    const OrderRow& Row = GetParam();
    WrittenSteps Steps(Row.FailAt);
    std::string Asked;
    bool Placed = false;
    try {
        Placed = SaveInOrder(
                     Steps,
                     [&](RunStage Stage) {
                         Asked += Stage == RunStage::Saving ? "saving? " : "placing? ";
                         return Stage != Row.RefusedAt;
                     },
                     nullptr)
                     .Placed;
    } catch (const TrackFileError&) {
        Steps.Done += "failed";
    }
    EXPECT_EQ(Asked + Steps.Done, Row.Done);
    EXPECT_EQ(Placed, Row.Placed);
}

std::string RowName(const testing::TestParamInfo<OrderRow>& Info) {
    std::string Name;
    for (const char Character : std::string(Info.param.Name)) {
        Name += std::isalnum(static_cast<unsigned char>(Character)) ? Character : '_';
    }
    return Name;
}

INSTANTIATE_TEST_SUITE_P(
    , SaveOrder,
    testing::Values(OrderRow{"every step", "", RunStage::Converting,
                             "saving? placing? keep flush name flush-name ", true},
                    OrderRow{"stopped before the flush", "", RunStage::Saving, "saving? ", false},
                    OrderRow{"stopped before the name", "", RunStage::Placing,
                             "saving? placing? keep flush ", false},
                    OrderRow{"attributes that cannot be kept", "keep", RunStage::Converting,
                             "saving? keep failed", false},
                    OrderRow{"data that cannot reach the disk", "flush", RunStage::Converting,
                             "saving? keep flush failed", false},
                    OrderRow{"a name that cannot be taken", "name", RunStage::Converting,
                             "saving? placing? keep flush name failed", false}),
    RowName);

}  // namespace
}  // namespace quellmark
