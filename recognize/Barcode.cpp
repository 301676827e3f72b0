// EAN-13 and EAN-8 barcode reader: contrast pre-pass, start-guard search, guard and edge checks, digit reading.
#include "recognize/Barcode.h"

#include <algorithm>
#include <cstdlib>

namespace zorva::recognize {

namespace barcode {

// The EAN L set (odd parity) and G set (even parity, value + 16), indexed by
// the module counts minus one of elements 2, 3 and 4 (element 1 follows
// from the total of 7 modules).
const std::array<uint8_t, 64> kDigitTable = [] {
    std::array<uint8_t, 64> t{};
    t.fill(kNoDigit);
    t[0] = 22;
    t[1] = 9;
    t[2] = 25;
    t[3] = 6;
    t[4] = 24;
    t[5] = 2;
    t[6] = 16;
    t[8] = 23;
    t[9] = 4;
    t[12] = 19;
    t[16] = 0;
    t[17] = 18;
    t[18] = 8;
    t[20] = 1;
    t[21] = 17;
    t[24] = 5;
    t[32] = 20;
    t[33] = 7;
    t[36] = 21;
    t[48] = 3;
    return t;
}();

// The EAN-13 parity patterns of the left half that encode the leading digit.
const std::array<uint8_t, 32> kLeadingDigitTable = [] {
    std::array<uint8_t, 32> t{};
    t.fill(kNoDigit);
    t[0] = 0;
    t[7] = 6;
    t[11] = 9;
    t[13] = 8;
    t[14] = 3;
    t[19] = 5;
    t[21] = 7;
    t[22] = 2;
    t[25] = 4;
    t[26] = 1;
    return t;
}();

const std::array<uint8_t, 32> kSkewTable = {128, 128, 129, 130, 131, 132, 133, 134, 135, 136, 138,
                                            140, 142, 145, 150, 153, 154, 155, 157, 159, 161, 165,
                                            169, 176, 184, 192, 200, 208, 216, 224, 240, 255};

int ModulesIn(int total, int module16) {
    // 32 * total / module16 is twice the width in modules; the reader keeps it in a byte.
    const int doubled = 32 * total / module16;
    if (doubled >= 256) return -1;
    return (doubled + 1) / 2;
}

int ModuleWidth(int guardSum, int s4) {
    if (guardSum >= 128) return 0;
    const int module16 = 16 * guardSum / 12;  // the four probe lines measured 12 modules
    const int skew = std::min(std::abs(s4), 31);
    return module16 * 128 / kSkewTable[skew];
}

DigitCode DecodeDigit(const std::array<int, 4>& e, int module16, int digitsRead) {
    DigitCode code;
    const int total = e[0] + e[1] + e[2] + e[3];
    const int n = ModulesIn(total, module16);
    if (n == 4 && digitsRead == 4) {
        code.kind = DigitCode::MiddleGuardStart;
        return code;
    }
    if (n < 6 || n > 8) return code;
    std::array<int, 4> k{};
    int sum = 0;
    for (int i = 0; i < 4; ++i) {
        // Module count minus one as if the digit were exactly 7 modules wide.
        k[i] = std::max((14 * e[i] / total + 1) / 2 - 1, 0);
        if (k[i] > 3) return code;
        sum += k[i];
    }
    if (sum != 3) return code;
    const uint8_t entry = kDigitTable[k[3] + 4 * k[2] + 16 * k[1]];
    if (entry == kNoDigit) return code;
    code.kind = DigitCode::Digit;
    code.value = entry & 15;
    code.even = (entry & kEvenParity) != 0;
    return code;
}

Completion CompleteReading(std::array<uint8_t, 13> digits, uint16_t parity, uint8_t leading, bool backwards,
                           bool ean8) {
    Completion done;
    BarcodeReading& r = done.reading;
    if (backwards) {
        for (int i = 1; i <= 6; ++i) std::swap(digits[i], digits[13 - i]);
        // The last six digits read are the left half seen mirrored, so their
        // parities are inverted; read position 11 is position 2 after the swap.
        int pattern = 0;
        for (int bit = 0; bit < 5; ++bit)
            if (!(parity & (1u << (11 - bit)))) pattern |= 1 << bit;
        leading = kLeadingDigitTable[pattern];
    }
    if (ean8) {
        r.format = BarcodeFormat::Ean8;
        for (int i = 1; i <= 4; ++i) r.digits += char('0' + digits[i]);
        for (int i = 9; i <= 12; ++i) r.digits += char('0' + digits[i]);
        r.checkPassed = true;
        done.success = true;
        return done;
    }
    r.format = BarcodeFormat::Ean13;
    digits[0] = leading;
    r.digits = leading == kNoDigit ? kUnknownDigit : char('0' + leading);
    for (int i = 1; i <= 12; ++i) r.digits += char('0' + digits[i]);
    if (leading == kNoDigit) return done;
    int sum = 0;
    for (int i = 0; i <= 12; ++i) sum += (i & 1) ? 3 * digits[i] : digits[i];
    r.checkPassed = done.success = sum % 10 == 0;
    return done;
}

}  // namespace barcode

namespace {

using barcode::Grey;

// Contrast values exist for pixels kMargin .. W - 1 - kMargin of a pre-pass
// row (the 16-pixel mean window is centred on pixel i + 8).
constexpr int kMargin = 8;
constexpr int kPrePassStep = 8;
// Base rows stop 72 rows below the top; row 0 is scanned even in lower pictures.
constexpr int kBaseRowHeadroom = 72;
constexpr int kMinWidth = 17;
constexpr int kMinHeight = 52;  // the bar-edge walk covers rows base + 8 .. base + 51

constexpr int kBaseRunLimit = 12;  // runs longer than this reset the start-guard search
constexpr int kMaxGuardBar = 10;   // widest first guard bar: a module of 10 pixels
constexpr int kWidthTolerance = 3;
constexpr int kProbeRunLimit = 18;
constexpr int kProbeLeadLimit = 4;  // light pixels before the bar on probe lines 2..4
constexpr int kEdgeRows = 44;
constexpr int kThresholdRows = 8;
constexpr int kReadRunLimit = 40;
constexpr int kBiasLimit = 20;

// Digit-reading lines in units of 8 rows above the base row, in reading order.
constexpr int kReadingLines[] = {4, 5, 6, 7, 8, 9, 10, 11, 12, 2, 3};

// The grey value of a mark: blue 0, green 255, red 255.
constexpr int kMarkGrey = Grey(0, 255, 255);

// One digit reading along a probe line: where it is, what it has collected.
// Copied whole to keep the restart point.
struct Cursor {
    int x = 0;  // next pixel to take
    int row = 0;
    int skewAcc = 0;    // grows by |s4| per pixel; each 32 moves the reading one row
    bool light = true;  // colour of the current run
    int run = 0;
    int guardLeft = 4;  // start-guard elements still to measure (lead, bar, space, bar)
    int budget = 0;     // pixels still allowed after the start guard
    int count = 0;      // elements collected in the current group
    std::array<int, 5> elements{};
    int position = 1;     // next digit position
    bool middle = false;  // the current group is the middle guard
    bool ean8 = false;
    bool backwards = false;
    uint16_t parity = 0;  // bit p: the digit read at position p had even parity
    uint8_t leading = barcode::kNoDigit;
    std::array<uint8_t, 13> digits{};
};

class Reader {
public:
    Reader(core::BmpView image, uint8_t* plane)
        : m_width(image.width()),
          m_height(image.height()),
          m_stride(image.stride()),
          m_pixels(image.pixels()),
          m_plane(plane + core::kHeaderSize),
          m_first(kMargin),
          m_last(m_width - 1 - kMargin) {}

    BarcodeResult search();

private:
    void prePass();
    bool scanBaseRow(int base, int dir);
    bool verifyCandidate();
    bool checkGuardLines();
    bool checkBarEdge();
    bool measureThreshold();
    bool readDigits();
    bool readLine(int start, int row);

    // What one element (a run between colour changes) of a digit reading
    // does to it.
    enum class Element {
        Next,        // collected; read on
        Accepted,    // a digit was accepted: the reading restarts from here on a failure
        Failed,      // this attempt failed: retry from the restart point with a higher bias
        Stop,        // the reading of this line ends without success
        Found,       // a symbol decoded completely
        AgainAsEan8  // the four elements began an EAN-8 middle guard: read them again as one
    };
    Element startGuardElement(Cursor& c, int width);
    Element middleGuardElement(Cursor& c, int width);
    Element digitElement(Cursor& c, int width);
    Element finishReading(const Cursor& c);

    const uint8_t* pixel(int x, int r) const { return m_pixels + size_t(r) * m_stride + 3 * size_t(x); }
    const uint8_t* work(int x, int r) const { return m_plane + size_t(r) * m_stride + 3 * size_t(x); }
    // Marks are also kept as one bit per pixel (made at the first mark): a
    // picture that keeps failing its check digit collects thousands of
    // marks, and every pixel read asks whether it is one.
    bool marked(int x, int r) const {
        const size_t at = size_t(r) * size_t(m_width) + size_t(x);
        return m_markBits[at / 64] >> (at % 64) & 1;
    }
    void mark(int x, int r) {
        m_result.marks.push_back({x, r});
        if (x < 0 || r < 0 || x >= m_width || r >= m_height) return;  // never read as a pixel
        if (m_markBits.empty()) m_markBits.assign((size_t(m_width) * size_t(m_height) + 63) / 64, 0);
        const size_t at = size_t(r) * size_t(m_width) + size_t(x);
        m_markBits[at / 64] |= uint64_t(1) << (at % 64);
    }
    // The grey value of a pixel, as it is once the marks are painted.
    int grey(int x, int r) const {
        if (!m_markBits.empty() && marked(x, r)) return kMarkGrey;
        const uint8_t* p = pixel(x, r);
        return Grey(p[0], p[1], p[2]);
    }
    int mean(int x, int r) const { return work(x, r)[0]; }
    bool contrastLight(int x, int r) const { return work(x, r)[1] >= 128; }
    bool inside(int x) const { return x >= m_first && x <= m_last; }

    const int m_width;
    const int m_height;
    const size_t m_stride;
    const uint8_t* const m_pixels;
    uint8_t* const m_plane;
    const int m_first;
    const int m_last;

    // The candidate under verification.
    int m_dir = 1;
    int m_base = 0;
    int m_x = 0;  // base-row position of the first pixel after the first guard bar
    int m_w1 = 0, m_w2 = 0, m_w3 = 0;
    int m_guardWidth = 0;  // S: the three base-row guard widths
    int m_s1 = 0;          // skew per 8 rows
    int m_s4 = 0;          // skew per 32 rows
    int m_lastShift = 0;
    int m_guardSum = 0;  // A: 12 guard elements on the four probe lines
    int m_threshold = 0;
    int m_module = 0;      // M': module width in sixteenths of a pixel
    int m_readBudget = 0;  // E

    BarcodeResult m_result;
    std::vector<uint64_t> m_markBits;
};

BarcodeResult Reader::search() {
    prePass();
    for (int dir : {1, -1}) {
        for (int base = 0; base == 0 || base <= m_height - kBaseRowHeadroom; base += kPrePassStep) {
            if (scanBaseRow(base, dir)) {
                m_result.baseRow = base;
                m_result.direction = dir;
                return m_result;
            }
        }
    }
    return m_result;
}

// ---- pre-pass: grey, 16-pixel mean and contrast on every 8th row ----
void Reader::prePass() {
    for (int r = 0; r < m_height; r += kPrePassStep) {
        const uint8_t* src = pixel(0, r);
        uint8_t* dst = m_plane + size_t(r) * m_stride;
        int sum = 0;
        for (int x = 0; x < 15; ++x) {
            const int g = Grey(src[3 * x], src[3 * x + 1], src[3 * x + 2]);
            dst[3 * x + 2] = uint8_t(g);
            sum += g;
        }
        for (int i = 0; i <= m_width - kMinWidth; ++i) {
            const int x = i + 15;
            const int g = Grey(src[3 * x], src[3 * x + 1], src[3 * x + 2]);
            dst[3 * x + 2] = uint8_t(g);
            sum += g;  // now pixels i .. i + 15
            const int m = sum >> 4;
            const int c = std::clamp(9 * dst[3 * (i + 8) + 2] - 8 * m, 0, 255);
            dst[3 * (i + 8)] = uint8_t(m);
            dst[3 * (i + 8) + 1] = uint8_t(c);
            sum -= dst[3 * i + 2];
        }
    }
}

// ---- start-guard search along one base row ----
bool Reader::scanBaseRow(int base, int dir) {
    m_base = base;
    m_dir = dir;
    const int from = dir > 0 ? m_first : m_last;
    const int to = dir > 0 ? m_last : m_first;
    bool colour = contrastLight(from, base);
    int run = 1;
    int transitions = 0;
    int w1 = 0, w2 = 0;
    int restart = from;
    for (int p = from + dir; dir > 0 ? p <= to : p >= to; p += dir) {
        const bool light = contrastLight(p, base);
        if (light == colour) {
            if (++run > kBaseRunLimit) {
                transitions = 0;
                run = 0;
            }
            continue;
        }
        const int width = run;
        colour = light;
        run = 1;
        bool abandon = false;
        switch (++transitions) {
            case 1:  // the first bar must begin here
                if (light) transitions = 0;
                break;
            case 2:  // end of the first bar
                if (width > kMaxGuardBar) {
                    transitions = 0;
                } else {
                    w1 = width;
                    restart = p;
                }
                break;
            case 3:  // end of the space
                if (std::abs(width - w1) > kWidthTolerance)
                    abandon = true;
                else
                    w2 = width;
                break;
            default:  // end of the second bar
                if (std::abs(width - w1) <= kWidthTolerance && std::abs(width - w2) <= kWidthTolerance) {
                    m_x = restart;
                    m_w1 = w1;
                    m_w2 = w2;
                    m_w3 = width;
                    m_guardWidth = w1 + w2 + width;
                    if (verifyCandidate()) return true;
                }
                abandon = true;
                break;
        }
        if (abandon) {
            // Back to just after the first guard bar: its second bar may be a first bar.
            p = restart;
            colour = true;
            run = 0;
            transitions = 0;
        }
    }
    return false;
}

bool Reader::verifyCandidate() {
    if (!checkGuardLines() || !checkBarEdge() || !measureThreshold()) return false;
    m_module = barcode::ModuleWidth(m_guardSum, m_s4);
    if (m_module == 0) return false;
    m_readBudget = (110 * m_module + 40) / 16;  // about 110 modules after the start guard
    return readDigits();
}

// ---- guard check on the four probe lines 8, 16, 24 and 32 rows up ----
bool Reader::checkGuardLines() {
    m_guardSum = 0;
    int shift = 0;
    for (int k = 1; k <= 4; ++k) {
        const int row = m_base + kPrePassStep * k;
        if (row >= m_height) return false;
        const int q = k == 1 ? 8 : shift + m_s1;
        int p = m_x - m_dir * (m_w1 + q + 2);
        if (!inside(p) || !contrastLight(p, row)) return false;  // must begin on light
        std::array<int, 4> widths{};                             // lead, bar, space, bar
        int end = 0;
        bool colour = true;
        int run = 1;
        for (int n = 0; n < 4;) {
            p += m_dir;
            if (!inside(p)) return false;
            const bool light = contrastLight(p, row);
            if (light == colour) {
                if (++run > kProbeRunLimit) return false;
                continue;
            }
            widths[n++] = run;
            if (n == 1 && k > 1 && run > kProbeLeadLimit) return false;
            if (n == 2) end = p;
            colour = light;
            run = 1;
        }
        if (std::abs(widths[1] - m_w1) > kWidthTolerance) return false;
        m_w1 = widths[1];
        if (std::abs(widths[2] - m_w1) > kWidthTolerance || std::abs(widths[3] - m_w1) > kWidthTolerance) return false;
        m_w2 = widths[2];
        m_w3 = widths[3];
        const int sum = widths[1] + widths[2] + widths[3];
        if (std::abs(sum - m_guardWidth) > kWidthTolerance) return false;
        shift = m_dir * (m_x - end);  // positive when the bar ends earlier on this line
        if (k == 1) m_s1 = shift;
        if (k == 4) m_s4 = shift;
        m_guardSum += sum;
    }
    m_lastShift = shift;
    return true;
}

// ---- bar-edge check: the first guard bar's leading edge over 44 rows ----
bool Reader::checkBarEdge() {
    int p = m_x - m_dir * (m_w1 + m_s1 + 2);
    for (int j = 0; j < kEdgeRows; ++j) {
        const int row = m_base + kPrePassStep + j;
        if (row >= m_height) return false;
        // The local mean comes from the nearest pre-pass row: switch after rows 5, 13, 21, 29, 37.
        const int meanRow = m_base + kPrePassStep * (1 + (j + 3) / 8);
        int dark = -1;
        for (int i = 0; i < 5; ++i) {
            const int x = p + m_dir * i;
            if (!inside(x)) return false;
            const int g = grey(x, row);
            if (17 * g - 16 * mean(x, meanRow) < 128) {  // g - 16 (m - g) below 128: dark
                if (i == 0) return false;
                dark = x;
                break;
            }
        }
        if (dark < 0) return false;
        p = dark - 3 * m_dir;
    }
    return true;
}

// ---- threshold: light and dark level at the guard edge over 8 rows ----
bool Reader::measureThreshold() {
    int p = m_x - m_dir * (m_w1 + m_s4 + 2);
    const int meanRow = m_base + 4 * kPrePassStep;
    int total = 0;
    for (int j = 0; j < kThresholdRows; ++j) {
        const int row = meanRow + j;
        if (row >= m_height) return false;
        int edge = -1;
        for (int i = 0; i < 6; ++i) {
            const int x = p + m_dir * i;
            if (!inside(x)) return false;
            if (9 * grey(x, row) - 8 * mean(x, meanRow) < 128) {  // g - 8 (m - g) below 128: dark
                if (i == 0) return false;
                edge = x;
                break;
            }
        }
        if (edge < 0) return false;
        const int before = edge - 2 * m_dir;
        const int after = edge + m_dir;
        if (!inside(before) || !inside(after)) return false;
        total += grey(before, row) + std::min(grey(edge, row), grey(after, row));
        p = edge - 3 * m_dir;
    }
    m_threshold = total / 16;  // the mean of 8 light and 8 dark levels
    return true;
}

// ---- digit reading on the probe lines ----
bool Reader::readDigits() {
    for (int k : kReadingLines) {
        const int q = k == 4 ? m_s4 : k == 2 ? 2 * m_s1 : m_lastShift + m_s1;
        // The readings one and two rows up start in the same column.
        const int start = m_x - m_dir * (m_w1 + q + 2);
        for (int up = 0; up < 3; ++up)
            if (readLine(start, m_base + kPrePassStep * k + up)) return true;
    }
    return false;
}

bool Reader::readLine(int start, int row) {
    if (row >= m_height) return false;
    const int skew = std::abs(m_s4);
    const int rowStep = m_s4 >= 0 ? 1 : -1;
    Cursor c;
    c.x = start;
    c.row = row;
    Cursor restart = c;
    int bias = 0;
    for (;;) {
        if (!inside(c.x) || c.row < 0 || c.row >= m_height) return false;  // never read outside the picture
        if (c.guardLeft == 0 && --c.budget < 0) return false;
        // T' = T + 4b - 36 on retries, rising from T - 32 to T + 40.
        const int threshold = bias == 0 ? m_threshold : m_threshold + 4 * bias - 36;
        const bool light = 9 * grey(c.x, c.row) - 8 * threshold >= 128;
        Element element = Element::Next;
        if (light == c.light) {
            if (++c.run > kReadRunLimit) element = Element::Failed;
        } else {
            const int width = c.run;
            c.light = light;
            c.run = 1;
            if (c.guardLeft > 0)
                element = startGuardElement(c, width);
            else if (c.middle)
                element = middleGuardElement(c, width);
            else
                element = digitElement(c, width);
        }
        switch (element) {
            case Element::Stop:
                return false;
            case Element::Found:
                return true;
            case Element::AgainAsEan8:
                c = restart;
                c.ean8 = true;
                c.middle = true;
                continue;
            case Element::Failed:
                if (++bias >= kBiasLimit) return false;
                c = restart;
                continue;
            case Element::Next:
            case Element::Accepted:
                break;
        }
        // Step along the reading, following the skew one row at a time.
        c.x += m_dir;
        c.skewAcc += skew;
        if (c.skewAcc >= 32) {
            c.skewAcc -= 32;
            c.row += rowStep;
        }
        if (element == Element::Accepted) {
            restart = c;
            bias = 0;
        }
    }
}

// The start guard again, measured on this line: the light lead, then its
// three elements, which also give this line's shift.
Reader::Element Reader::startGuardElement(Cursor& c, int width) {
    switch (c.guardLeft--) {
        case 4:  // light lead before the first bar
            if (width > kProbeLeadLimit) return Element::Stop;
            break;
        case 3:
            m_w1 = width;
            m_lastShift = m_dir * (m_x - c.x);
            break;
        case 2:
            m_w2 = width;
            break;
        default: {
            m_w3 = width;
            // About 110 modules after the guard, or what is left of the row
            // when the symbol sits near the picture's edge: the row's end
            // stops the reading either way.
            const int remaining = m_dir > 0 ? m_last - c.x : c.x - m_first;
            c.budget = std::min(m_readBudget, remaining);
            break;
        }
    }
    return Element::Next;
}

// The five elements of the middle guard must span 4 to 6 modules; the pixel
// after an accepted one is marked.
Reader::Element Reader::middleGuardElement(Cursor& c, int width) {
    c.elements[size_t(c.count++)] = width;
    if (c.count < 5) return Element::Next;
    int total = 0;
    for (int e : c.elements) total += e;
    const int n = barcode::ModulesIn(total, m_module);
    if (n < 4 || n > 6) return Element::Failed;
    mark(c.x, c.row);  // the first pixel after the middle guard
    c.middle = false;
    c.count = 0;
    if (c.ean8) c.position = 9;
    return Element::Next;
}

// Four elements make a digit; after six digits comes the middle guard, after
// twelve the reading is complete.
Reader::Element Reader::digitElement(Cursor& c, int width) {
    c.elements[size_t(c.count++)] = width;
    if (c.count < 4) return Element::Next;
    const barcode::DigitCode code =
        barcode::DecodeDigit({c.elements[0], c.elements[1], c.elements[2], c.elements[3]}, m_module, c.position - 1);
    if (code.kind == barcode::DigitCode::MiddleGuardStart) return Element::AgainAsEan8;
    if (code.kind == barcode::DigitCode::Invalid) return Element::Failed;
    c.digits[size_t(c.position)] = code.value;
    if (code.even) {
        c.parity |= uint16_t(1u << c.position);
        if (c.position == 1) c.backwards = true;
    }
    ++c.position;
    c.count = 0;
    if (c.position == 13) return finishReading(c);
    if (c.position == 7 && !c.ean8) {
        if (!c.backwards) c.leading = barcode::kLeadingDigitTable[(c.parity >> 2) & 31];
        c.middle = true;
    }
    return Element::Accepted;
}

// A symbol the check digit rejects is kept as shown, and the search goes on.
Reader::Element Reader::finishReading(const Cursor& c) {
    barcode::Completion done = barcode::CompleteReading(c.digits, c.parity, c.leading, c.backwards, c.ean8);
    if (done.success) {
        m_result.code = std::move(done.reading);
        return Element::Found;
    }
    m_result.rejected = std::move(done.reading);
    return Element::Stop;
}

}  // namespace

BarcodeResult ReadBarcode(core::BmpView image, std::span<uint8_t> workPlane) {
    BarcodeResult result;
    if (!image.valid()) return result;
    const uint32_t width = image.width();
    const uint32_t height = image.height();
    if (width < uint32_t(kMinWidth) || height < uint32_t(kMinHeight)) return result;
    if (workPlane.size() < core::FileSizeFor(width, height)) return result;
    Reader reader(image, workPlane.data());
    return reader.search();
}

}  // namespace zorva::recognize
