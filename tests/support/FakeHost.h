// A recording host: answers file and colour dialogs from queues, plays dialog scripts, logs the rest.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "shell/Dialog.h"
#include "shell/Host.h"

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
    void statusChanged(int field, std::string_view text) override {
        statusLog.emplace_back(field, std::string(text));
    }
    void repaint(bool) override { ++repaints; }
    void runDialog(shell::DialogModel& model) override;
    uint32_t clockMs() override { return clock += clockStep; }
    // Decodes 24-bit BMP files only (all the Qt-free tests need), or
    // whatever `decoder` returns when set.
    shell::DecodeResult decode(const std::string& path) override;
    std::optional<std::string> chooseOpenFile(const std::string&) override { return next(openAnswers); }
    std::optional<std::string> chooseSaveFile(const std::string&) override { return next(saveAnswers); }

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

private:
    static std::optional<std::string> next(std::deque<std::optional<std::string>>& queue) {
        if (queue.empty()) return std::nullopt;
        std::optional<std::string> answer = queue.front();
        queue.pop_front();
        return answer;
    }
};

}  // namespace zorva::test
