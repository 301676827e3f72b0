// The host of zorva-cli.
#include "shell/cli/ConsoleHost.h"

#include <chrono>
#include <cstdio>

namespace zorva::shell {

void ConsoleHost::message(std::string_view text, std::string_view, MessageIcon) {
    ++messagesShown;
    const std::string& about = m_file.empty() ? m_subject : m_file;
    if (!about.empty()) m_err << about << ": ";
    m_err << text << '\n';
    m_file.clear();
}

void ConsoleHost::statusChanged(int field, std::string_view text) {
    if (recording) m_status.emplace_back(field, std::string(text));
}

void ConsoleHost::runDialog(DialogModel& model) {
    PlayDialog(model, m_script);
    m_script.clear();
}

bool ConsoleHost::folderProgress(const FolderProgress& p) {
    if (!progress) return true;
    if (!p.done) {
        setSubject(std::string(p.path));
        return true;
    }
    setSubject({});
    const size_t slash = p.path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? p.path : p.path.substr(slash + 1);
    // What is left, at the mean time per photo so far.
    const double seconds = p.elapsedMs / 1000.0;
    const double left = p.photo == 0 ? 0.0 : seconds / p.photo * (p.photos - p.photo);
    char line[160];
    std::snprintf(line, sizeof line, "photo %u of %u: %.1f s elapsed, about %.0f s left: ", p.photo, p.photos, seconds,
                  left);
    m_err << line << name << '\n';
    return true;
}

uint32_t ConsoleHost::clockMs() {
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace zorva::shell
