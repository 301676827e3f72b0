// zorva-cli: info, new, convert, apply and the recognition jobs over the one dispatcher.
#include "shell/cli/Cli.h"

#include <chrono>
#include <filesystem>

#include "core/ImageFiles.h"
#include "shell/Editor.h"
#include "shell/cli/CliOps.h"
#include "shell/input/Input.h"

namespace zorva::shell {

namespace {

constexpr int kOk = 0;
constexpr int kFileError = 1;
constexpr int kUsage = 2;
// A usage error whose reason was already written: no usage text after it.
constexpr int kStated = -2;

int Usage(std::ostream& err) {
    err << "usage:\n"
           "  zorva-cli info IMAGE\n"
           "  zorva-cli new OUT.bmp\n"
           "  zorva-cli convert IMAGE OUT.bmp\n"
           "  zorva-cli apply IMAGE [-o OUT.bmp] OP [OP ...]\n"
           "  zorva-cli barcode IMAGE...\n"
           "options: --time prints the elapsed time of the whole run on stderr\n"
           "OPs:";
    for (std::string_view op : OpSynopses()) err << ' ' << op;
    err << '\n';
    return kUsage;
}

class Session {
public:
    Session(const Decoder& decoder, const std::string& undoFolder, std::ostream& err)
        : host(decoder, err), editor(host, undoFolder) {}

    // Opens `path` as the document, as the Open command does.
    bool open(const std::string& path) {
        if (!editor.reserveArena()) return false;
        editor.state().currentFilePath = path;
        return editor.loadDocument(path, InstallKind::Open);
    }

    ConsoleHost host;
    Editor editor;
};

int Info(const std::vector<std::string>& args, Session& s, std::ostream& out) {
    if (args.size() != 2) return kUsage;
    if (!s.open(args[1])) return kFileError;
    const core::BmpView doc = s.editor.document();
    out << doc.width() << 'x' << doc.height() << " stride=" << doc.stride() << " filesize=" << doc.fileSize() << '\n';
    return kOk;
}

int New(const std::vector<std::string>& args, Session& s) {
    if (args.size() != 2) return kUsage;
    if (!s.editor.reserveArena()) return kFileError;
    s.editor.dispatch(CommandId::New);
    return s.editor.saveDocument(args[1]) ? kOk : kFileError;
}

int Convert(const std::vector<std::string>& args, Session& s) {
    if (args.size() != 3) return kUsage;
    if (!s.open(args[1])) return kFileError;
    return s.editor.saveDocument(args[2]) ? kOk : kFileError;
}

int Apply(const std::vector<std::string>& args, Session& s, std::ostream& out, std::ostream& err) {
    if (args.size() < 3) return kUsage;
    std::string output;
    std::vector<OpCall> calls;
    std::vector<std::string> opNames;
    for (size_t i = 2; i < args.size(); ++i) {
        if (args[i] == "-o") {
            if (i + 1 >= args.size() || !output.empty()) return kUsage;
            output = args[++i];
            continue;
        }
        std::string why;
        std::optional<OpCall> call = ParseOp(args[i], why);
        if (!call) {
            err << why << '\n';
            return kStated;
        }
        calls.push_back(std::move(*call));
        opNames.push_back(args[i]);
    }
    if (calls.empty()) return kUsage;
    if (!s.open(args[1])) return kFileError;
    s.host.recording = true;
    for (size_t i = 0; i < calls.size(); ++i) {
        OpCall& call = calls[i];
        // A command the menu would grey (SVG export before any segmentation)
        // is an error in the OP list, never silently skipped.
        if (!IsEnabled(s.editor, call.id)) {
            s.host.recording = false;
            err << "not available at this point: " << opNames[i] << '\n';
            return kStated;
        }
        s.host.setScript(std::move(call.script));
        s.editor.dispatch(call.id);
    }
    s.host.recording = false;
    for (const auto& [field, text] : s.host.statusLog()) out << field << '\t' << text << '\n';
    if (!output.empty() && !s.editor.saveDocument(output)) return kFileError;
    return kOk;
}

// Runs one command on each picture and prints one status field per picture.
int Each(const std::vector<std::string>& args, Session& s, std::ostream& out, CommandId id, int field) {
    if (args.size() < 2) return kUsage;
    int status = kOk;
    for (size_t i = 1; i < args.size(); ++i) {
        if (!s.open(args[i])) {
            status = kFileError;
            continue;
        }
        s.editor.dispatch(id);
        out << args[i] << '\t' << s.editor.state().statusText[size_t(field)] << '\n';
    }
    return status;
}

}  // namespace

int RunCli(const std::vector<std::string>& argsIn, const Decoder& decoder, const std::string& undoFolder,
           std::ostream& out, std::ostream& err) {
    const auto start = std::chrono::steady_clock::now();
    bool timed = false;
    std::vector<std::string> args;
    for (const std::string& a : argsIn) {
        if (a == "--time")
            timed = true;
        else
            args.push_back(a);
    }
    if (args.empty()) return Usage(err);

    Session session(decoder, undoFolder, err);
    const std::string& verb = args[0];
    int status = kUsage;
    if (verb == "info")
        status = Info(args, session, out);
    else if (verb == "new")
        status = New(args, session);
    else if (verb == "convert")
        status = Convert(args, session);
    else if (verb == "apply")
        status = Apply(args, session, out, err);
    else if (verb == "barcode")
        status = Each(args, session, out, CommandId::Barcode, status::Result);
    if (status == kUsage) return Usage(err);
    if (status == kStated) return kUsage;

    if (timed) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        err << "time: " << ms.count() << " ms\n";
    }
    return status;
}

}  // namespace zorva::shell
