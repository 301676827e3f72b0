// The host of zorva-cli.
#include "shell/cli/ConsoleHost.h"

#include <chrono>

namespace zorva::shell {

void ConsoleHost::message(std::string_view text, std::string_view, MessageIcon) {
    ++messagesShown;
    if (!m_subject.empty()) m_err << m_subject << ": ";
    m_err << text << '\n';
}

void ConsoleHost::statusChanged(int field, std::string_view text) {
    if (recording) m_status.emplace_back(field, std::string(text));
}

void ConsoleHost::runDialog(DialogModel& model) {
    PlayDialog(model, m_script);
    m_script.clear();
}

uint32_t ConsoleHost::clockMs() {
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace zorva::shell
