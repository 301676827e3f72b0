// A recording host: answers file and colour dialogs from queues, plays dialog scripts, logs the rest.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "shell/Host.h"
#include "shell/dialogs/Dialog.h"

namespace zorva::test {

struct Message {
    std::string text;
    std::string caption;
    shell::MessageIcon icon;
};

class FakeHost : public shell::Host {
public:
    void message(std::string_view text, std::string_view caption, shell::MessageIcon icon) override {
        messages.push_back({std::string(text), std::string(caption), icon});
    }
    void statusChanged(int field, std::string_view text) override { statusLog.emplace_back(field, std::string(text)); }
    void repaint(bool) override { ++repaints; }
    void runDialog(shell::DialogModel& model) override;
    uint32_t clockMs() override { return clock += clockStep; }
    // Decodes 24-bit BMP files and, for the photo corpora, JPEG files (all
    // the Qt-free tests need).
    shell::DecodeResult decode(const std::string& path) override;
    std::optional<std::string> chooseOpenFile(const std::string&) override { return next(openAnswers); }
    std::optional<std::string> chooseSaveFile(const std::string&) override { return next(saveAnswers); }
    // The colour dialog answers from `colourAnswers` (nothing = Cancel).
    std::optional<shell::Colour> chooseColour() override;
    // Prints on an imaginary page of `pageSize` when set, keeping the plan
    // in `printedPlans`; without a page the printer is unavailable.
    shell::PrintStatus print(const shell::PrintJob& job) override;
    // The real folder listing, or whatever `lister` returns when set (to
    // hand the names over in an order of the test's choosing).
    std::optional<std::vector<std::string>> listFolder(const std::string& folder) override;
    // "Сохранить изменения?": counted, answered from `changeAnswers` (Нет
    // when it runs dry).
    shell::SaveChoice askSaveChanges(std::string_view question, std::string_view) override {
        questions.emplace_back(question);
        if (changeAnswers.empty()) return shell::SaveChoice::Discard;
        const shell::SaveChoice answer = changeAnswers.front();
        changeAnswers.pop_front();
        return answer;
    }
    // A folder run's progress is logged; the run is stopped once `stopAfter`
    // reports have been made.
    bool folderProgress(const shell::FolderProgress& p) override {
        progress.push_back({p.photo, p.photos, p.done});
        return !stopAfter || progress.size() < *stopAfter;
    }
    void titleChanged(std::string_view text) override { title = text; }
    void rememberFile(const std::string& path) override { remembered.push_back(path); }

    std::vector<Message> messages;
    std::vector<std::pair<int, std::string>> statusLog;
    int repaints = 0;
    uint32_t clock = 1000;
    uint32_t clockStep = 0;
    std::deque<std::optional<std::string>> openAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    // Scripts for the next dialogs, by resource name; a dialog without one
    // is closed with its close box.
    std::map<std::string, shell::DialogScript> scripts;
    std::vector<std::string> dialogsRun;
    std::deque<std::optional<shell::Colour>> colourAnswers;
    int colourDialogs = 0;
    std::optional<std::pair<int, int>> pageSize;
    shell::PrintStatus printResult = shell::PrintStatus::Done;
    std::vector<std::string> printJobs;
    std::vector<shell::PaintPlan> printedPlans;
    std::function<std::optional<std::vector<std::string>>(const std::string&)> lister;
    std::vector<std::string> questions;
    std::deque<shell::SaveChoice> changeAnswers;
    struct Progress {
        uint32_t photo, photos;
        bool done;
        friend bool operator==(const Progress&, const Progress&) = default;
    };
    std::vector<Progress> progress;
    std::optional<size_t> stopAfter;
    std::string title;
    std::vector<std::string> remembered;

private:
    template <typename T>
    static std::optional<T> next(std::deque<std::optional<T>>& queue) {
        if (queue.empty()) return std::nullopt;
        std::optional<T> answer = queue.front();
        queue.pop_front();
        return answer;
    }
};

}  // namespace zorva::test
