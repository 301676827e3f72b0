// The OP table of `zorva-cli apply`.
#include "shell/cli/CliOps.h"

#include <charconv>

#include "shell/commands/SegmentCommands.h"

namespace zorva::shell {

namespace {

struct OpSpec {
    std::string_view name;
    std::string_view synopsis;
    CommandId id;
    // Builds the dialog answers from the text after "NAME:"; null for OPs
    // that take no arguments.
    std::optional<DialogScript> (*script)(std::string_view args);
};

const OpSpec kOps[] = {
    {"undo", "undo", CommandId::Undo, nullptr},
    {"redo", "redo", CommandId::Redo, nullptr},
    {"copy-mode", "copy-mode", CommandId::CopyMode, nullptr},
    {"barcode", "barcode", CommandId::Barcode, nullptr},
    {"palette", "palette:N", CommandId::Palette, [](std::string_view a) { return SegmentOpScript("palette", a); }},
    {"segment8", "segment8:TOL,REPS", CommandId::Segment8,
     [](std::string_view a) { return SegmentOpScript("segment8", a); }},
    {"segment", "segment:COLOURS,MIN[,x10]", CommandId::SegmentMedianCut,
     [](std::string_view a) { return SegmentOpScript("segment", a); }},
    {"svg", "svg:VALUE", CommandId::SvgExport, [](std::string_view a) { return SegmentOpScript("svg", a); }},
};

}  // namespace

std::optional<int> ParseInt(std::string_view text, int lo, int hi) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < lo || value > hi) return std::nullopt;
    return value;
}

std::vector<std::string_view> SplitArgs(std::string_view args) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t comma = args.find(',', start);
        parts.push_back(args.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    return parts;
}

std::optional<OpCall> ParseOp(std::string_view op) {
    const size_t colon = op.find(':');
    const std::string_view name = op.substr(0, colon);
    const bool hasArgs = colon != std::string_view::npos;
    const std::string_view args = hasArgs ? op.substr(colon + 1) : std::string_view();
    for (const OpSpec& entry : kOps) {
        if (entry.name != name) continue;
        if (!entry.script) {
            if (hasArgs) return std::nullopt;
            return OpCall{entry.id, {}};
        }
        if (!hasArgs) return std::nullopt;
        std::optional<DialogScript> script = entry.script(args);
        if (!script) return std::nullopt;
        return OpCall{entry.id, std::move(*script)};
    }
    return std::nullopt;
}

std::vector<std::string_view> OpSynopses() {
    std::vector<std::string_view> names;
    for (const OpSpec& entry : kOps) names.push_back(entry.synopsis);
    return names;
}

}  // namespace zorva::shell
