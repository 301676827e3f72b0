#!/usr/bin/env python3
"""Draws the characters of Russian number plates (GOST R 50577) as SVG outlines, one file per glyph.

The plate typeface is monoline: every character is one pen of constant width drawn along a centreline of
straight lines and quarter-circle corners, with flat (butt) ends, sharp mitred joins, and everything cut
by the character's cell, so that strokes running out of the cell end flush with its edge. The geometry is
given here in millimetres of a type 1 plate:

  main letters   A B C E H K M O P T X Y   cell 50 x 58, pen 10
  main digits    0..9                      cell 46 x 76, pen 10
  thin letters   A B C E H K M O P T X Y   cell 50 x 58, pen 8 (the main letters with the region's pen,
                                            for worn or overexposed paint)
  region digits  0..9                      cell 40 x 62, pen 8 (two-digit region)
                                            cell 34 x 62, pen 8 (three-digit region)

Shapes as the standard draws them: straight-sided O and 0 with large rounded corners, the "1" a stem with a
slanted flag and no foot, an open "4", a "7" with a straight diagonal, "6" and "9" the same drawing turned
half round, the Cyrillic У for Y (a long right arm reaching the foot on the left, a short left arm meeting
it), K with its lower arm springing from the upper one, M whose middle point lies below half the height.

  scripts/plate-font/gost-glyphs.py OUT_DIR      writes OUT_DIR/{main,thin,region2,region3}-CHAR.svg
"""
import math
import os
import sys

LETTERS = "ABCEHKMOPTXY"
DIGITS = "0123456789"

# (set name, characters, cell width, cell height, pen)
SETS = [
    ("main", LETTERS, 50.0, 58.0, 10.0),
    ("main", DIGITS, 46.0, 76.0, 10.0),
    ("thin", LETTERS, 50.0, 58.0, 8.0),
    ("region2", DIGITS, 40.0, 62.0, 8.0),
    ("region3", DIGITS, 34.0, 62.0, 8.0),
]


def f(v):
    return ("%.3f" % v).rstrip("0").rstrip(".")


def pt(x, y):
    return f(x) + "," + f(y)


def extend(a, b, d):
    """a moved away from b by d along the line b-a: a stroke end pushed out of the cell to be cut flush."""
    dx, dy = a[0] - b[0], a[1] - b[1]
    n = math.hypot(dx, dy)
    return (a[0] + dx / n * d, a[1] + dy / n * d)


def x_at(a, b, y):
    """The x of line a-b at height y."""
    return a[0] + (b[0] - a[0]) * (y - a[1]) / (b[1] - a[1])


def arc(r, x, y, sweep):
    return "A %s %s 0 0 %d %s" % (f(r), f(r), sweep, pt(x, y))


def rrect(x0, y0, x1, y1, r):
    """A closed rounded rectangle along the centreline, clockwise."""
    return " ".join([
        "M", pt(x0 + r, y0), "H", f(x1 - r), arc(r, x1, y0 + r, 1), "V", f(y1 - r), arc(r, x1 - r, y1, 1),
        "H", f(x0 + r), arc(r, x0, y1 - r, 1), "V", f(y0 + r), arc(r, x0 + r, y0, 1), "Z"])


class Cell:
    def __init__(self, w, h, p):
        self.w, self.h, self.p = w, h, p
        # The centreline's frame: a stroke along it touches the cell's edge.
        self.L, self.R, self.T, self.B = p / 2, w - p / 2, p / 2, h - p / 2
        self.cx = w / 2
        self.out = 2 * p  # how far a stroke end is pushed out of the cell before the cut


# ---- digits ----

def d0(c):
    return [rrect(c.L, c.T, c.R, c.B, 0.46 * (c.R - c.L))]


def d1(c):
    # The "1" takes 0.6 of the cell's width, centred: the stem on its right, the flag from the stem's top
    # down to its left edge at 38 % of the height.
    half = 0.3 * c.w
    xs = c.cx + half - c.p / 2
    flag = (c.cx - half + c.p / 2, 0.38 * c.h)
    top = (xs, c.T)
    return ["M %s L %s V %s" % (pt(*extend(flag, top, 0.2 * c.p)), pt(*top), f(c.h + c.out))]


def d2(c):
    r = 0.46 * (c.R - c.L)
    turn = 0.42 * c.h  # where the right side turns into the diagonal
    return ["M %s V %s %s H %s %s V %s L %s H %s" % (
        pt(c.L, c.T + r + 0.06 * c.h), f(c.T + r), arc(r, c.L + r, c.T, 1), f(c.R - r), arc(r, c.R, c.T + r, 1),
        f(turn), pt(c.L, c.B), f(c.w + c.out))]


def d3(c):
    ym = 0.46 * c.h
    ru = min(0.46 * (c.R - c.L - 0.1 * c.w), (ym - c.T) / 2)
    rl = min(0.46 * (c.R - c.L), (c.B - ym) / 2)
    ru_r = c.R - 0.1 * c.w  # the upper bowl a little narrower than the lower
    bar = c.L + 0.3 * (c.R - c.L)
    upper = "M %s V %s %s H %s %s V %s %s H %s" % (
        pt(c.L, c.T + ru + 0.05 * c.h), f(c.T + ru), arc(ru, c.L + ru, c.T, 1), f(ru_r - ru), arc(ru, ru_r, c.T + ru, 1),
        f(ym - ru), arc(ru, ru_r - ru, ym, 1), f(bar))
    lower = "M %s H %s %s V %s %s H %s %s V %s" % (
        pt(bar, ym), f(c.R - rl), arc(rl, c.R, ym + rl, 1), f(c.B - rl), arc(rl, c.R - rl, c.B, 1), f(c.L + rl),
        arc(rl, c.L, c.B - rl, 1), f(c.B - rl - 0.05 * c.h))
    return [upper, lower]


def d4(c):
    # Open: the diagonal comes down from the top to the bar's left end without touching the stem, so the
    # "4" has no hole (the reader tells digits apart by their holes first).
    xs = c.L + 0.78 * (c.R - c.L)
    yb = 0.68 * c.h
    top, corner = (c.L + 0.3 * (c.R - c.L), 0.0), (c.L, yb)
    return ["M %s V %s" % (pt(xs, -c.out), f(c.h + c.out)),
            "M %s L %s H %s" % (pt(*extend(top, corner, c.out)), pt(*corner), f(c.w + c.out))]


def d5(c):
    y5 = 0.4 * c.h
    r = min(0.46 * (c.R - c.L), (c.B - y5) / 2)
    return ["M %s H %s V %s H %s %s V %s %s H %s %s V %s" % (
        pt(c.w + c.out, c.T), f(c.L), f(y5), f(c.R - r), arc(r, c.R, y5 + r, 1), f(c.B - r), arc(r, c.R - r, c.B, 1),
        f(c.L + r), arc(r, c.L, c.B - r, 1), f(c.B - r - 0.05 * c.h))]


def d6(c):
    # The top hook ends 20 degrees short of the vertical, well above the bowl: blurred or bold, it must not
    # close into a second hole (an "8").
    y6 = 0.42 * c.h  # the top of the bowl
    r = min(0.46 * (c.R - c.L), (c.B - y6) / 2)
    phi = math.radians(20)
    hook = (c.R - r + r * math.cos(phi), c.T + r - r * math.sin(phi))
    return ["M %s %s H %s %s V %s %s H %s %s V %s %s H %s" % (
        pt(*hook), arc(r, c.R - r, c.T, 0), f(c.L + r), arc(r, c.L, c.T + r, 0),
        f(c.B - r), arc(r, c.L + r, c.B, 0), f(c.R - r), arc(r, c.R, c.B - r, 0), f(y6 + r), arc(r, c.R - r, y6, 0),
        f(c.L))]


def d7(c):
    corner = (c.R, c.T)
    foot = (c.L + 0.28 * (c.R - c.L), c.h)
    return ["M %s H %s L %s" % (pt(-c.out, c.T), f(c.R), pt(*extend(foot, corner, c.out)))]


def d8(c):
    ym = 0.45 * c.h
    inset = 0.06 * c.w
    ru = min(0.46 * (c.R - c.L - 2 * inset), (ym - c.T) / 2)
    rl = min(0.46 * (c.R - c.L), (c.B - ym) / 2)
    return [rrect(c.L + inset, c.T, c.R - inset, ym, ru), rrect(c.L, ym, c.R, c.B, rl)]


def d9(c):
    return d6(c)  # drawn turned half round (see svg())


# ---- letters ----

def lA(c):
    top_l, top_r = (c.cx - 0.12 * c.w, c.T), (c.cx + 0.12 * c.w, c.T)
    foot_l, foot_r = (c.L + 0.02 * c.w, c.h), (c.R - 0.02 * c.w, c.h)
    yc = 0.66 * c.h
    return ["M %s L %s H %s L %s" % (pt(*extend(foot_l, top_l, c.out)), pt(*top_l), f(top_r[0]),
                                     pt(*extend(foot_r, top_r, c.out))),
            "M %s H %s" % (pt(x_at(foot_l, top_l, yc), yc), f(x_at(foot_r, top_r, yc)))]


def lB(c):
    ym = 0.47 * c.h
    ri = 0.06 * c.w  # the upper bowl a little narrower
    ru = min(0.42 * (c.R - c.L), (ym - c.T) / 2)
    rl = min(0.42 * (c.R - c.L), (c.B - ym) / 2)
    return ["M %s H %s %s V %s %s H %s V %s H %s %s V %s %s H %s" % (
        pt(c.L, ym), f(c.R - ri - ru), arc(ru, c.R - ri, ym - ru, 0), f(c.T + ru), arc(ru, c.R - ri - ru, c.T, 0),
        f(c.L), f(c.B), f(c.R - rl), arc(rl, c.R, c.B - rl, 0), f(ym + rl), arc(rl, c.R - rl, ym, 0), f(c.L))]


def lC(c):
    r = 0.42 * (c.R - c.L)
    end = 0.06 * c.h
    return ["M %s V %s %s H %s %s V %s %s H %s %s V %s" % (
        pt(c.R, c.T + r + end), f(c.T + r), arc(r, c.R - r, c.T, 0), f(c.L + r), arc(r, c.L, c.T + r, 0),
        f(c.B - r), arc(r, c.L + r, c.B, 0), f(c.R - r), arc(r, c.R, c.B - r, 0), f(c.B - r - end))]


def lE(c):
    ym = 0.5 * c.h
    return ["M %s H %s V %s H %s" % (pt(c.w + c.out, c.T), f(c.L), f(c.B), f(c.w + c.out)),
            "M %s H %s" % (pt(c.L, ym), f(c.R - 0.08 * c.w))]


def lH(c):
    ym = 0.5 * c.h
    return ["M %s V %s" % (pt(c.L, -c.out), f(c.h + c.out)), "M %s V %s" % (pt(c.R, -c.out), f(c.h + c.out)),
            "M %s H %s" % (pt(c.L, ym), f(c.R))]


def lK(c):
    joint = (c.L, 0.62 * c.h)
    top = (c.R + 0.02 * c.w, 0.0)
    t = 0.32
    spring = (joint[0] + (top[0] - joint[0]) * t, joint[1] + (top[1] - joint[1]) * t)
    foot = (c.R + 0.02 * c.w, c.h)
    return ["M %s V %s" % (pt(c.L, -c.out), f(c.h + c.out)),
            "M %s L %s" % (pt(*joint), pt(*extend(top, joint, c.out))),
            "M %s L %s" % (pt(*spring), pt(*extend(foot, spring, c.out)))]


def lM(c):
    v = (c.cx, 0.64 * c.h)
    return ["M %s V %s L %s L %s V %s" % (pt(c.L, c.h + c.out), f(c.T), pt(*v), pt(c.R, c.T), f(c.h + c.out))]


def lO(c):
    return [rrect(c.L, c.T, c.R, c.B, 0.42 * (c.R - c.L))]


def lP(c):
    yp = 0.56 * c.h
    r = min(0.42 * (c.R - c.L), (yp - c.T) / 2)
    return ["M %s V %s H %s %s V %s %s H %s" % (
        pt(c.L, c.h + c.out), f(c.T), f(c.R - r), arc(r, c.R, c.T + r, 1), f(yp - r), arc(r, c.R - r, yp, 1), f(c.L))]


def lT(c):
    return ["M %s H %s" % (pt(-c.out, c.T), f(c.w + c.out)), "M %s V %s" % (pt(c.cx, c.T), f(c.h + c.out))]


def lX(c):
    a, b = (c.L + 0.02 * c.w, 0.0), (c.R - 0.02 * c.w, c.h)
    d, e = (c.R - 0.02 * c.w, 0.0), (c.L + 0.02 * c.w, c.h)
    return ["M %s L %s" % (pt(*extend(a, b, c.out)), pt(*extend(b, a, c.out))),
            "M %s L %s" % (pt(*extend(d, e, c.out)), pt(*extend(e, d, c.out)))]


def lY(c):
    # The Cyrillic У: the long arm from the top right to the foot on the left, the short arm from the top
    # left meeting it at 62 % of the height.
    top_r, foot = (c.R, 0.0), (c.L + 0.16 * c.w, c.h)
    ym = 0.62 * c.h
    meet = (x_at(top_r, foot, ym), ym)
    top_l = (c.L, 0.0)
    return ["M %s L %s" % (pt(*extend(top_r, foot, c.out)), pt(*extend(foot, top_r, c.out))),
            "M %s L %s" % (pt(*extend(top_l, meet, c.out)), pt(*meet))]


DRAW = {"0": d0, "1": d1, "2": d2, "3": d3, "4": d4, "5": d5, "6": d6, "7": d7, "8": d8, "9": d9,
        "A": lA, "B": lB, "C": lC, "E": lE, "H": lH, "K": lK, "M": lM, "O": lO, "P": lP, "T": lT, "X": lX, "Y": lY}


def svg(ch, w, h, p):
    c = Cell(w, h, p)
    turn = ' transform="rotate(180 %s %s)"' % (f(w / 2), f(h / 2)) if ch == "9" else ""
    paths = "\n".join('    <path d="%s"/>' % d for d in DRAW[ch](c))
    return f"""<svg xmlns="http://www.w3.org/2000/svg" width="{f(w)}mm" height="{f(h)}mm" viewBox="0 0 {f(w)} {f(h)}">
  <clipPath id="cell"><rect width="{f(w)}" height="{f(h)}"/></clipPath>
  <rect width="{f(w)}" height="{f(h)}" fill="white"/>
  <g clip-path="url(#cell)"><g{turn} fill="none" stroke="black" stroke-width="{f(p)}" stroke-linecap="butt" stroke-linejoin="miter" stroke-miterlimit="10">
{paths}
  </g></g>
</svg>
"""


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: gost-glyphs.py OUT_DIR")
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, chars, w, h, p in SETS:
        for ch in chars:
            path = os.path.join(out, "%s-%s.svg" % (name, ch))
            with open(path + ".tmp", "w") as fh:
                fh.write(svg(ch, w, h, p))
            os.replace(path + ".tmp", path)


if __name__ == "__main__":
    main()
