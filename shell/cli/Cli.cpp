// zorva-cli: info, new, convert, apply and the recognition jobs over the one dispatcher.
#include "shell/cli/Cli.h"

#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>

#include "core/ImageFiles.h"
#include "core/UndoRing.h"
#include "shell/Editor.h"
#include "shell/Messages.h"
#include "shell/cli/CliOps.h"
#include "shell/commands/CommandTable.h"
#include "shell/commands/PlateCommands.h"
#include "shell/input/Input.h"
#include "shell/input/Tools.h"

namespace zorva::shell {

namespace {

constexpr int kOk = 0;
constexpr int kFileError = 1;
constexpr int kUsage = 2;

// The picture's name for standard output.
constexpr std::string_view kStandardOutput = "-";

class Session {
public:
    Session(const Decoder& decoder, const Encoder& encoder, std::string programFolder, std::ostream& output,
            std::ostream& errors, std::string bases)
        : host(decoder, encoder, errors),
          editor(host, {}),
          out(output),
          err(errors),
          lines(&output),
          m_programFolder(std::move(programFolder)),
          m_baseFolder(std::move(bases)) {
        // A job writes snapshot files only when its script undoes (keepUndoSteps).
        editor.undoRing().setWritesFiles(false);
    }

    // The job undoes or redoes: snapshots are written to a folder of this
    // copy's own, claimed now (a script without undo never claims one).
    void keepUndoSteps() {
        m_undoFolder = core::UndoFolder::Claim(m_programFolder);
        editor.undoRing().setFolder(m_undoFolder.path());
        editor.undoRing().setWritesFiles(true);
    }

    // Loads the symbol bases a job reads (BaseBit(k) set in `bases`) as
    // start-up does, each once; one that cannot be read is told. False when
    // one of them is not loaded: the job would read an empty base and must
    // not pass for a success.
    bool needBases(uint8_t bases) {
        if (const uint8_t fresh = bases & ~m_basesAsked) editor.loadSymbolBases(m_baseFolder, fresh);
        m_basesAsked |= bases;
        for (int k = 1; k <= recognize::kSymbolBases; ++k)
            if ((bases & BaseBit(k)) && !editor.baseLoaded(k)) return false;
        return true;
    }

    // Opens `path` as the document, as the Open command does; a failure is
    // told with the file's name.
    bool open(const std::string& path) {
        if (!editor.reserveArena()) return false;
        editor.state().currentFilePath = path;
        host.setSubject(path);
        const bool loaded = editor.loadDocument(path, InstallKind::Open);
        host.setSubject({});
        return loaded;
    }
    // Saves the document to `path` ("-": standard output); a failure is
    // told with the file's name.
    bool save(const std::string& path) {
        host.setSubject(path);
        bool saved = false;
        if (path == kStandardOutput) {
            const core::BmpView doc = editor.document();
            out.write(reinterpret_cast<const char*>(doc.data()), std::streamsize(doc.fileSize()));
            out.flush();
            saved = bool(out);
            if (!saved) {
                host.fileNotWritten(path);
                editor.message(text::kCannotWrite, MessageIcon::Exclamation);
            }
        } else {
            saved = editor.saveDocument(path);
        }
        host.setSubject({});
        return saved;
    }
    // The status lines go to standard error when the picture goes to
    // standard output ("-o -", or a path naming it such as /dev/stdout).
    void pictureTo(const std::string& path) {
        if (path == kStandardOutput || core::IsFileOfDescriptor(path, STDOUT_FILENO)) lines = &err;
    }
    // A usage error: what is wrong, on one line.
    int wrong(const std::string& why) {
        err << why << '\n';
        return kUsage;
    }

    ConsoleHost host;
    Editor editor;
    std::ostream& out;
    std::ostream& err;
    std::ostream* lines;  // where the status lines go

private:
    std::string m_programFolder;
    std::string m_baseFolder;
    uint8_t m_basesAsked = 0;
    core::UndoFolder m_undoFolder;
};

// The symbol bases the command `id` reads.
uint8_t BasesOf(CommandId id) {
    const CommandInfo* info = FindCommand(ToInt(id));
    return info ? info->bases : 0;
}

using Arguments = std::vector<std::string>;

int Info(const Arguments& args, Session& s) {
    if (!s.open(args[0])) return kFileError;
    const core::BmpView doc = s.editor.document();
    s.out << doc.width() << 'x' << doc.height() << " stride=" << doc.stride() << " filesize=" << doc.fileSize() << '\n';
    return kOk;
}

int New(const Arguments& args, Session& s) {
    if (!s.editor.reserveArena()) return kFileError;
    s.editor.dispatch(CommandId::New);
    return s.save(args[0]) ? kOk : kFileError;
}

int Convert(const Arguments& args, Session& s) {
    if (!s.open(args[0])) return kFileError;
    return s.save(args[1]) ? kOk : kFileError;
}

int Apply(const Arguments& args, Session& s) {
    std::string output;
    std::vector<OpCall> calls;
    std::vector<std::string> opNames;
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "-o") {
            if (i + 1 >= args.size()) return s.wrong("-o: needs the file to save to");
            if (!output.empty()) return s.wrong("-o " + args[i + 1] + ": the picture is saved once, to " + output);
            output = args[++i];
            continue;
        }
        std::string why;
        std::optional<OpCall> call = ParseOp(args[i], why);
        if (!call) return s.wrong(why);
        calls.push_back(std::move(*call));
        opNames.push_back(args[i]);
    }
    if (calls.empty()) return s.wrong("apply: needs at least one OP after the picture");
    uint8_t bases = 0;
    bool undoes = false;
    for (const OpCall& call : calls) {
        if (call.gesture) continue;
        bases |= BasesOf(call.id);
        undoes = undoes || call.id == CommandId::Undo || call.id == CommandId::Redo;
    }
    if (!s.needBases(bases)) return kFileError;
    if (undoes) s.keepUndoSteps();
    s.pictureTo(output);
    if (!s.open(args[0])) return kFileError;
    // Whatever an OP had to say (a file it could not write, a picture too
    // large to turn, too many segments) is a failure of the run.
    const int before = s.host.messagesShown;
    bool finished = true;
    s.host.recording = true;
    EditorTools tools;
    for (size_t i = 0; i < calls.size() && finished; ++i) {
        OpCall& call = calls[i];
        if (call.gesture) {
            PerformGesture(s.editor, *call.gesture, tools);
            continue;
        }
        // A command the menu would grey (SVG export before any segmentation)
        // is an error in the OP list, never silently skipped; after an OP
        // that failed, it is that failure, and the run stops there.
        std::string why;
        if (!IsEnabled(s.editor, call.id)) {
            why = "not available at this point: " + opNames[i];
        } else if (const CommandInfo* info = FindCommand(ToInt(call.id));
                   info && info->dialog && info->dialog->choose) {
            // A dialog chosen by the state (the SVG export's) has ranges of
            // its own: an answer outside them is an error, never quietly
            // clamped.
            AnswersFit(opNames[i], *info->dialog, *info->dialog->choose(s.editor), call.script, why);
        }
        if (!why.empty()) {
            s.host.recording = false;
            if (s.host.messagesShown == before) return s.wrong(why);
            s.err << opNames[i] << ": not run after the failure above\n";
            finished = false;
            break;
        }
        s.host.setScript(std::move(call.script));
        s.editor.dispatch(call.id);
    }
    s.host.recording = false;
    // The pointer fields only echo the script's own points.
    for (const auto& [field, text] : s.host.statusLog())
        if (field != status::PointerX && field != status::PointerY) *s.lines << field << '\t' << text << '\n';
    if (!finished) return kFileError;
    // The saved picture is the one the user would see after pressing
    // "Сохранить": no outline, rectangle or pasted image left hanging.
    if (!output.empty()) {
        s.editor.settle();
        if (!s.save(output)) return kFileError;
    }
    return s.host.messagesShown == before ? kOk : kFileError;
}

// The pictures of a reading job and its one option, "--strict" (the
// reader's first stage alone); false, with the usage error told, for
// another option or no picture.
bool SplitStrict(const std::string& job, const Arguments& args, Session& s, Arguments& pictures, bool& strict) {
    for (const std::string& a : args) {
        if (a == "--strict")
            strict = true;
        else if (a.starts_with("--")) {
            s.wrong(job + " " + a + ": the only option is --strict");
            return false;
        } else {
            pictures.push_back(a);
        }
    }
    if (pictures.empty()) {
        s.wrong(job + ": needs at least one picture");
        return false;
    }
    return true;
}

// One line per picture: NAME<TAB>field 10<TAB>the reader that read the code
// ("-" for none). "--strict" among the pictures runs the exact reader alone.
int Barcode(const Arguments& args, Session& s) {
    Arguments pictures;
    bool strict = false;
    if (!SplitStrict("barcode", args, s, pictures, strict)) return kUsage;
    const CommandId id = strict ? CommandId::BarcodeStrict : CommandId::Barcode;
    int status = kOk;
    for (const std::string& picture : pictures) {
        if (!s.open(picture)) {
            status = kFileError;
            continue;
        }
        s.editor.state().lastReading = {};
        s.editor.dispatch(id);
        const EditorState::Reading& read = s.editor.state().lastReading;
        s.out << picture << '\t' << read.text << '\t' << read.by << '\n';
    }
    return status;
}

// Runs one recognition command on IMAGE as `apply IMAGE OP` would, and
// prints the status fields it wrote. A file it could not write is told
// (naming the picture) and ends in status 1.
int Recognise(const std::string& picture, Session& s, CommandId id, const std::string& output = {}) {
    if (!s.needBases(BasesOf(id))) return kFileError;
    s.pictureTo(output);
    if (!s.open(picture)) return kFileError;
    const int before = s.host.messagesShown;
    s.host.recording = true;
    s.host.setSubject(picture);
    s.editor.dispatch(id);
    s.host.setSubject({});
    s.host.recording = false;
    for (const auto& [field, text] : s.host.statusLog()) *s.lines << field << '\t' << text << '\n';
    if (s.host.messagesShown != before) return kFileError;
    if (!output.empty() && !s.save(output)) return kFileError;
    return kOk;
}

// Reads the plate of each picture as "На текущем фото" does and prints the
// picture, the result field and the stage that read it, tab-separated.
// "--strict" among the pictures gives the reading alone, unchecked.
int Plate(const Arguments& args, Session& s) {
    Arguments pictures;
    bool strict = false;
    if (!SplitStrict("plate", args, s, pictures, strict)) return kUsage;
    const CommandId id = strict ? CommandId::PlateStrict : CommandId::PlateHere;
    if (!s.needBases(BasesOf(id))) return kFileError;
    int status = kOk;
    for (const std::string& picture : pictures) {
        if (!s.open(picture)) {
            status = kFileError;
            continue;
        }
        s.editor.state().lastReading = {};
        s.editor.dispatch(id);
        const EditorState::Reading& read = s.editor.state().lastReading;
        s.out << picture << '\t' << read.text << '\t' << read.by << '\n';
    }
    return status;
}

// The folder run on FOLDER: its photos are read as "На всех фото в папке"
// reads the folder of the current picture, here a New picture placed in
// FOLDER; each photo's progress goes to stderr, the report into FOLDER and
// its path to stdout. Status 1 when anything had to be told (a photo that
// could not be loaded, a report that could not be written, no photos).
int Plates(const Arguments& args, Session& s) {
    std::string folder = args[0];
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        s.err << folder << ": no such folder\n";
        return kFileError;
    }
    if (folder.back() != '/') folder += '/';
    if (!s.needBases(BasesOf(CommandId::PlatesFolder))) return kFileError;
    if (!s.editor.reserveArena()) return kFileError;
    s.editor.dispatch(CommandId::New);
    s.editor.state().currentFilePath = folder;
    s.host.progress = true;
    const int before = s.host.messagesShown;
    s.editor.dispatch(CommandId::PlatesFolder);
    s.host.progress = false;
    if (s.host.messagesShown != before) return kFileError;
    s.out << folder << kPlateReportName << '\n';
    return kOk;
}

int MakeBase(const Arguments& args, Session& s) {
    return Recognise(args[0], s, CommandId::MakeBase);
}

int Compare(const Arguments& args, Session& s) {
    const std::optional<int> k = ParseInt(args[1], 1, 3);
    if (!k) return s.wrong("compare " + args[1] + ": the base is 1, 2 or 3");
    constexpr CommandId kCompare[] = {CommandId::CompareBase1, CommandId::CompareBase2, CommandId::CompareBase3};
    return Recognise(args[0], s, kCompare[*k - 1]);
}

int Colours(const Arguments& args, Session& s) {
    std::string output;
    if (args.size() == 3) {
        if (args[1] != "-o") return s.wrong(args[1] + ": colours takes IMAGE [-o OUT]");
        output = args[2];
    } else if (args.size() != 1) {
        return s.wrong("colours: takes IMAGE [-o OUT]");
    }
    return Recognise(args[0], s, CommandId::ObjectColours, output);
}

// The verbs: name, the arguments they take (the usage line), how many, and what they do.
struct Verb {
    std::string_view name;
    std::string_view arguments;
    size_t minimum;
    size_t maximum;  // SIZE_MAX: any number
    int (*run)(const Arguments&, Session&);
};

constexpr Verb kVerbs[] = {
    {"info", "IMAGE", 1, 1, Info},
    {"new", "OUT", 1, 1, New},
    {"convert", "IMAGE OUT", 2, 2, Convert},
    {"apply", "IMAGE [-o OUT] OP [OP ...]", 2, SIZE_MAX, Apply},
    {"barcode", "[--strict] IMAGE...", 1, SIZE_MAX, Barcode},
    {"plate", "[--strict] IMAGE...", 1, SIZE_MAX, Plate},
    {"plates", "FOLDER", 1, 1, Plates},
    {"make-base", "IMAGE", 1, 1, MakeBase},
    {"compare", "IMAGE K", 2, 2, Compare},
    {"colours", "IMAGE [-o OUT]", 1, 3, Colours},
};

int Usage(std::ostream& err) {
    err << "usage:\n";
    for (const Verb& v : kVerbs) err << "  zorva-cli " << v.name << ' ' << v.arguments << '\n';
    err << "options: --time prints the elapsed time of the whole run on stderr\n"
           "OPs:";
    for (const std::string& op : OpSynopses()) err << ' ' << op;
    err << "\n(X,Y: a pixel of the picture, column from the left and row from the top)\n";
    return kUsage;
}

}  // namespace

int RunCli(const std::vector<std::string>& argsIn, const Decoder& decoder, const std::string& programFolder,
           std::ostream& out, std::ostream& err, const std::string& baseFolder, const Encoder& encoder) {
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
    // Asked for, the usage is the answer, not an error.
    if (args[0] == "--help" || args[0] == "-h") {
        Usage(out);
        return kOk;
    }

    const std::string& name = args[0];
    const Verb* verb = nullptr;
    for (const Verb& v : kVerbs)
        if (v.name == name) verb = &v;
    if (!verb) {
        err << name << ": no such command; zorva-cli without arguments lists them\n";
        return kUsage;
    }
    const Arguments rest(args.begin() + 1, args.end());
    if (rest.size() < verb->minimum || rest.size() > verb->maximum) {
        err << name << ": takes " << verb->arguments << '\n';
        return kUsage;
    }
    Session session(decoder, encoder, programFolder, out, err, baseFolder);
    const int status = verb->run(rest, session);
    if (timed) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        err << "time: " << ms.count() << " ms\n";
    }
    return status;
}

}  // namespace zorva::shell
