// The recording host of the shell tests.
#include "tests/support/FakeHost.h"

#include "core/WorkArena.h"
#include "tests/support/TestSupport.h"

namespace zorva::test {

void FakeHost::runDialog(shell::DialogModel& model) {
    dialogsRun.emplace_back(model.resource());
    const auto it = scripts.find(std::string(model.resource()));
    shell::PlayDialog(model, it == scripts.end() ? shell::DialogScript{} : it->second);
}

shell::DecodeResult FakeHost::decode(const std::string& path) {
    shell::DecodeResult result;
    core::BmpImage image = ReadBmp24(path);
    if (!image) image = ReadJpeg(path);
    if (!image) return result;
    if (core::CheckFit(image.view().width(), image.view().height()) != core::ImageFit::Fits) {
        result.status = shell::DecodeStatus::TooLarge;
        return result;
    }
    result.status = shell::DecodeStatus::Ok;
    result.image = std::move(image);
    return result;
}

std::optional<shell::Colour> FakeHost::chooseColour() {
    ++colourDialogs;
    return next(colourAnswers);
}

shell::PrintStatus FakeHost::print(const shell::PrintJob& job) {
    printJobs.push_back(job.name);
    if (!pageSize) return shell::PrintStatus::Unavailable;
    printedPlans.push_back(job.plan(pageSize->first, pageSize->second));
    return printResult;
}

std::optional<std::vector<std::string>> FakeHost::listFolder(const std::string& folder) {
    if (lister) return lister(folder);
    return Host::listFolder(folder);
}

}  // namespace zorva::test
