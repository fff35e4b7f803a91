#!/usr/bin/env python3
"""Draws the window icon (16 x 16) and the labels' pointing-hand cursor (32 x 32, hot spot
12,1) as XPM images, which Qt reads without any plug-in. Run it from this folder."""


def xpm(name, grid, palette, hotspot=None):
    h, w = len(grid), len(grid[0])
    head = f"{w} {h} {len(palette)} 1" + (f" {hotspot[0]} {hotspot[1]}" if hotspot else "")
    lines = [f'"{head}"'] + [f'"{k} c {v}"' for k, v in palette.items()]
    lines += [f'"{row}"' for row in grid]
    return f"/* XPM */\nstatic const char* {name}[] = {{\n" + ",\n".join(lines) + "\n};\n"


def hand():
    w = h = 32
    inside = [[False] * w for _ in range(h)]

    def fill(x0, x1, y0, y1):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                inside[y][x] = True

    fill(11, 13, 1, 1)      # rounded tip of the index finger; the hot spot is at (12, 1)
    fill(10, 14, 2, 17)     # index finger
    fill(15, 18, 9, 18)     # middle finger
    fill(19, 22, 10, 18)    # ring finger
    fill(23, 25, 12, 19)    # little finger
    for i in range(7):      # thumb, slanting into the palm
        fill(4 + i // 2, 9, 13 + i, 13 + i)
    fill(7, 25, 17, 26)     # palm
    fill(9, 24, 27, 30)     # wrist
    grid = [[" "] * w for _ in range(h)]
    for y in range(h):
        for x in range(w):
            if not inside[y][x]:
                continue
            edge = any(not (0 <= x + dx < w and 0 <= y + dy < h and inside[y + dy][x + dx])
                       for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            grid[y][x] = "#" if edge else "."
    for x, y0, y1 in ((15, 9, 16), (19, 10, 16), (23, 12, 17)):  # gaps between fingers
        for y in range(y0, y1 + 1):
            grid[y][x] = "#"
    return ["".join(r) for r in grid]


def icon():
    rows = [
        "                ",
        "  #########     ",
        "  #.......##    ",
        "  #.......#.#   ",
        "  #.bbbb..####  ",
        "  #..........#  ",
        "  #.bbbbbbbb.#  ",
        "  #..........#  ",
        "  #.bbbbbb...#  ",
        "  #.......ooo#  ",
        "  #.bbbb.ooooo  ",
        "  #.....oo#ooo  ",
        "  #.......ooo#  ",
        "  #......o..o#  ",
        "  ############  ",
        "                ",
    ]
    return rows


with open("PointingHand.xpm", "w") as f:
    f.write(xpm("PointingHand", hand(), {" ": "None", "#": "#000000", ".": "#FFFFFF"}, (12, 1)))
with open("ZorvQarn.xpm", "w") as f:
    f.write(xpm("ZorvQarn", icon(),
                {" ": "None", "#": "#202020", ".": "#FFFFFF", "b": "#0000FF", "o": "#F08000"}))
