// The host of zorva-cli: messages to stderr, status fields recorded, dialogs answered by script.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "shell/Host.h"
#include "shell/dialogs/Dialog.h"

namespace zorva::shell {

using Decoder = std::function<DecodeResult(const std::string& path)>;
using Encoder = std::function<std::optional<std::vector<uint8_t>>(core::BmpView picture, core::SaveFormat format)>;

class ConsoleHost : public Host {
public:
    ConsoleHost(Decoder decoder, Encoder encoder, std::ostream& err)
        : m_decoder(std::move(decoder)), m_encoder(std::move(encoder)), m_err(err) {}

    void message(std::string_view text, std::string_view caption, MessageIcon icon) override;
    void statusChanged(int field, std::string_view text) override;
    void repaint(bool) override {}
    void runDialog(DialogModel& model) override;
    bool previewsLive() const override { return false; }
    uint32_t clockMs() override;
    // With `progress` set, a line per photo of a folder run on stderr; the
    // messages about a photo name it.
    bool folderProgress(const FolderProgress& progress) override;
    DecodeResult decode(const std::string& path) override { return m_decoder(path); }
    std::optional<std::vector<uint8_t>> encode(core::BmpView picture, core::SaveFormat format) override {
        if (!m_encoder) return std::nullopt;
        return m_encoder(picture, format);
    }
    // The command line never asks: it sets paths itself.
    std::optional<std::string> chooseOpenFile(const std::string&) override { return std::nullopt; }
    std::optional<std::string> chooseSaveFile(const std::string&) override { return std::nullopt; }

    // The file the next messages are about ("in.bmp: Не может загрузить
    // файл"); empty for none.
    void setSubject(std::string subject) { m_subject = std::move(subject); }
    void fileNotWritten(std::string_view path) override { m_file = path; }
    // The answers of the next dialog: its trackbar moves and "OK".
    void setScript(DialogScript script) { m_script = std::move(script); }
    // Status writes of the run, in the order written.
    const std::vector<std::pair<int, std::string>>& statusLog() const { return m_status; }
    bool recording = false;
    bool progress = false;
    // Messages shown so far: a job that had something to tell has failed.
    int messagesShown = 0;

private:
    Decoder m_decoder;
    Encoder m_encoder;
    std::ostream& m_err;
    DialogScript m_script;
    std::string m_subject;
    std::string m_file;  // the file the next message is about
    std::vector<std::pair<int, std::string>> m_status;
};

}  // namespace zorva::shell
