// The recording host of the shell tests.
#include "tests/support/FakeHost.h"

#include "core/WorkArena.h"
#include "tests/support/TestSupport.h"

namespace zorva::test {

void FakeHost::runDialog(shell::DialogModel& model) {
    dialogsRun.push_back(model.resource());
    const auto it = scripts.find(model.resource());
    shell::PlayDialog(model, it == scripts.end() ? shell::DialogScript{} : it->second);
}

shell::DecodeResult FakeHost::decode(const std::string& path) {
    shell::DecodeResult result;
    core::BmpImage image = ReadBmp24(path);
    if (!image) return result;
    if (core::CheckFit(image.view().width(), image.view().height()) != core::ImageFit::Fits) {
        result.status = shell::DecodeStatus::TooLarge;
        return result;
    }
    result.status = shell::DecodeStatus::Ok;
    result.image = std::move(image);
    return result;
}

}  // namespace zorva::test
