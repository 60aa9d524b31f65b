#!/usr/bin/env python3
"""Draws the desktop program's pictures as SVG files into data/pictures/.

Toolbar images (24 x 24 grid), the tray icon's animation frames, the splash
(400 x 250), the About picture and the program's icon. Everything is drawn
here from simple shapes; run it again after changing a drawing:

    python3 tools/draw_pictures.py
"""
import math
import os

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data", "pictures")

INK = "#1d3557"
ACCENT = "#e76f51"
PAPER = "#fdfcf7"
SKY = "#457b9d"
LEAF = "#2a9d8f"


def svg(width, height, body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}">\n{body}</svg>\n')


def page(x, y, w, h, fold=5):
    return (f'<path d="M{x} {y} h{w - fold} l{fold} {fold} v{h - fold} h{-w} z" fill="{PAPER}" '
            f'stroke="{INK}" stroke-width="1.2" stroke-linejoin="round"/>\n'
            f'<path d="M{x + w - fold} {y} v{fold} h{fold}" fill="none" stroke="{INK}" stroke-width="1"/>\n')


def lines(x, y, w, count, gap=3.2, colour=INK):
    return "".join(f'<line x1="{x}" y1="{y + i * gap}" x2="{x + w - (i % 2) * 3}" y2="{y + i * gap}" '
                   f'stroke="{colour}" stroke-width="1"/>\n' for i in range(count))


def syllable_bar(x, y, parts, h=3, gap=2.2, colour=INK, mark=ACCENT):
    """A word drawn as syllable blocks with short hyphen marks between them."""
    out, cx = "", x
    for i, w in enumerate(parts):
        out += f'<rect x="{cx}" y="{y}" width="{w}" height="{h}" rx="1" fill="{colour}"/>\n'
        cx += w
        if i + 1 < len(parts):
            out += f'<rect x="{cx + 0.3}" y="{y + h / 2 - 0.6}" width="{gap - 0.6}" height="1.2" fill="{mark}"/>\n'
            cx += gap
    return out


def toolbar_pictures():
    pics = {}
    pics["open"] = svg(24, 24,
        f'<path d="M2 6 h7 l2 2 h10 v12 h-19 z" fill="#f4d35e" stroke="{INK}" stroke-width="1.2" stroke-linejoin="round"/>\n'
        f'<path d="M2 20 l3 -9 h18 l-3 9 z" fill="#f6e27f" stroke="{INK}" stroke-width="1.2" stroke-linejoin="round"/>\n')
    pics["saveas"] = svg(24, 24,
        f'<rect x="3" y="3" width="18" height="18" rx="2" fill="{SKY}" stroke="{INK}" stroke-width="1.2"/>\n'
        f'<rect x="7" y="3.6" width="10" height="6" fill="{PAPER}"/>\n'
        f'<rect x="13.5" y="4.6" width="2" height="4" fill="{INK}"/>\n'
        f'<rect x="6" y="13" width="12" height="8" fill="{PAPER}" stroke="{INK}" stroke-width="0.8"/>\n'
        f'<path d="M15 19 l6 -6 l2 2 l-6 6 h-2 z" fill="{ACCENT}" stroke="{INK}" stroke-width="0.8"/>\n')
    pics["hyphenate"] = svg(24, 24,
        page(3, 2, 18, 20) + syllable_bar(6, 7, [4, 3, 4]) + syllable_bar(6, 12, [3, 5]) +
        syllable_bar(6, 17, [5, 2, 3]))
    pics["copy"] = svg(24, 24, page(3, 2, 12, 15, 4) + lines(5.5, 7, 7, 3) + page(9, 7, 12, 15, 4) + lines(11.5, 12, 7, 3))
    pics["paste"] = svg(24, 24,
        f'<rect x="3" y="4" width="14" height="18" rx="1.5" fill="#c9a66b" stroke="{INK}" stroke-width="1.2"/>\n'
        f'<rect x="7" y="2" width="6" height="4" rx="1" fill="#8d99ae" stroke="{INK}" stroke-width="1"/>\n'
        + page(10, 9, 11, 13, 3) + lines(12, 13, 6, 3))
    pics["selectall"] = svg(24, 24,
        page(4, 3, 16, 18) +
        f'<rect x="6" y="6" width="12" height="12" fill="{SKY}" fill-opacity="0.35" stroke="{SKY}" '
        f'stroke-width="1.2" stroke-dasharray="2 1.5"/>\n' + lines(8, 9, 8, 3, 3))
    pics["preview"] = svg(24, 24,
        f'<circle cx="12" cy="12" r="9" fill="#a8dadc" stroke="{INK}" stroke-width="1.2"/>\n'
        f'<ellipse cx="12" cy="12" rx="4" ry="9" fill="none" stroke="{INK}" stroke-width="1"/>\n'
        f'<line x1="3" y1="12" x2="21" y2="12" stroke="{INK}" stroke-width="1"/>\n'
        f'<path d="M5 7.5 h14 M5 16.5 h14" stroke="{INK}" stroke-width="0.8"/>\n')
    return pics


def tray_frames(count=4):
    """A short word whose hyphen mark slides from one gap to the next."""
    frames = {}
    for i in range(count):
        marks = "".join(
            f'<rect x="{x}" y="10" width="2" height="1.8" fill="{ACCENT if k == i % 3 else PAPER}"/>\n'
            for k, x in enumerate([6.5, 12.5, 18.5]))
        pulse = 9.5 + 1.5 * math.sin(i * math.pi / 2)
        frames[f"tray{i}"] = svg(24, 24,
            f'<rect x="1" y="1" width="22" height="22" rx="5" fill="{INK}"/>\n'
            f'<rect x="2.5" y="{pulse}" width="4" height="3" rx="1" fill="{PAPER}"/>\n'
            f'<rect x="8.5" y="{pulse}" width="4" height="3" rx="1" fill="{PAPER}"/>\n'
            f'<rect x="14.5" y="{pulse}" width="4" height="3" rx="1" fill="{PAPER}"/>\n'
            f'<rect x="20.5" y="{pulse}" width="1.5" height="3" rx="0.7" fill="{PAPER}"/>\n' + marks)
    return frames


def splash():
    body = f'<rect width="400" height="250" fill="{PAPER}"/>\n'
    body += f'<rect y="0" width="400" height="70" fill="{INK}"/>\n'
    body += (f'<text x="24" y="46" font-family="DejaVu Sans, sans-serif" font-size="26" font-weight="bold" '
             f'fill="{PAPER}">CORVANE</text>\n'
             f'<text x="170" y="46" font-family="DejaVu Sans, sans-serif" font-size="18" fill="#a8dadc">'
             f'HTML HYPHENATOR</text>\n')
    # A column of text whose words break at their syllables.
    rows = [[18, 12, 20], [26, 14], [12, 22, 10, 16], [30, 12], [16, 18, 14]]
    for r, parts in enumerate(rows):
        body += syllable_bar(30, 96 + r * 18, parts, h=8, gap=7)
    body += (f'<text x="150" y="120" font-family="DejaVu Sans, sans-serif" font-size="28" fill="{INK}">'
             f'hy<tspan fill="{ACCENT}">-</tspan>phen<tspan fill="{ACCENT}">-</tspan>'
             f'a<tspan fill="{ACCENT}">-</tspan>tion</text>\n')
    body += (f'<text x="150" y="150" font-family="DejaVu Sans Mono, monospace" font-size="12" fill="{SKY}">'
             f'hy&amp;shy;phen&amp;shy;a&amp;shy;tion</text>\n')
    body += f'<rect y="236" width="400" height="14" fill="{LEAF}"/>\n'
    return svg(400, 250, body)


def about():
    body = (f'<rect x="2" y="2" width="60" height="60" rx="10" fill="{INK}"/>\n'
            f'<text x="32" y="30" text-anchor="middle" font-family="DejaVu Sans, sans-serif" font-size="11" '
            f'font-weight="bold" fill="{PAPER}">hy<tspan fill="{ACCENT}">-</tspan>phen</text>\n'
            + syllable_bar(10, 42, [12, 8, 14], h=6, gap=4, colour="#a8dadc"))
    return svg(64, 64, body)


def app_icon():
    body = (f'<rect x="4" y="4" width="56" height="56" rx="12" fill="{INK}"/>\n'
            + syllable_bar(12, 18, [14, 10, 12], h=7, gap=5, colour=PAPER)
            + syllable_bar(12, 30, [10, 18], h=7, gap=5, colour=PAPER)
            + syllable_bar(12, 42, [16, 6, 10], h=7, gap=5, colour=PAPER))
    return svg(64, 64, body)


def main():
    os.makedirs(OUT, exist_ok=True)
    pictures = {**toolbar_pictures(), **tray_frames(), "splash": splash(), "about": about(),
                "corvane-html-hyphenator": app_icon()}
    for name, text in pictures.items():
        with open(os.path.join(OUT, name + ".svg"), "w", encoding="utf-8") as f:
            f.write(text)


if __name__ == "__main__":
    main()
