#!/usr/bin/env python3
"""Checks a screenshot of the main window on a white root window against the
picture: where the picture is black the root shows through (the window is
cut there), elsewhere the window covers the screen; the state label's aqua
text is drawn; the minimise caption sits at the foot of its button. Usage: screenshot-check.py SHOT.ppm PICTURE.ppm"""
import sys


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    assert fields[0] == b"P6" and fields[3] == b"255", "not an 8-bit PPM"
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos + 1:]
    return width, height, lambda x, y: tuple(pixels[3 * (y * width + x):3 * (y * width + x) + 3])


def main():
    sw, sh, shot = read_ppm(sys.argv[1])
    pw, ph, picture = read_ppm(sys.argv[2])
    assert (pw, ph) == (384, 128), "the picture is 384 x 128"
    assert sw >= pw and sh >= ph
    # Controls may paint anything inside their own rectangles.
    controls = [(228, 87, 65, 22), (304, 87, 65, 22), (80, 36, 200, 16), (60, 16, 300, 16),
                (108, 72, 128, 16), (360, 27, 13, 10), (348, 27, 13, 10), (88, 72, 13, 14)]

    def on_control(x, y):
        return any(cx <= x < cx + w and cy <= y < cy + h for cx, cy, w, h in controls)

    white = (255, 255, 255)
    wrong = []
    for y in range(ph):
        for x in range(pw):
            if on_control(x, y):
                continue
            outside = picture(x, y) == (0, 0, 0)
            if outside != (shot(x, y) == white):
                wrong.append((x, y))
    # Nothing of the window beyond its 384 x 128.
    beyond = [(x, y) for y in range(sh) for x in range(sw)
              if (x >= pw or y >= ph) and shot(x, y) != white]
    aqua = sum(1 for y in range(36, 52) for x in range(80, 200) if shot(x, y) == (0, 255, 255))
    # "＿" is drawn at the foot of its 13 x 10 button (348, 27), not at
    # mid-height where it would read as "ー".
    # The thin stroke is smoothed, so ink is where aqua raised the green
    # well above the picture's.
    rows = [y for y in range(27, 37) for x in range(348, 361)
            if shot(x, y)[1] - picture(x, y)[1] > 60]
    low_line = bool(rows) and min(rows) >= 32
    print(f"pixels that disagree with the shape: {len(wrong)}; outside the window: {len(beyond)};"
          f" aqua pixels of the state label: {aqua}; rows of the minimise caption: "
          f"{min(rows, default=None)}..{max(rows, default=None)}")
    ok = not wrong and not beyond and aqua > 20 and low_line
    if wrong:
        print("first disagreeing pixels:", wrong[:10])
    return 0 if ok else 1


sys.exit(main())
