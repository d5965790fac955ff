#!/usr/bin/env python3
# Draws the two icons, 32 x 32 in the 16 colours of the VGA palette:
# velmora.png for the program, window-icon.png for the window.
# Run it in this folder; it needs nothing beyond Python's standard library.
import zlib, struct

# The 16 colours of the classic VGA palette.
PAL = [(0,0,0),(128,0,0),(0,128,0),(128,128,0),(0,0,128),(128,0,128),(0,128,128),(192,192,192),
       (128,128,128),(255,0,0),(0,255,0),(255,255,0),(0,0,255),(255,0,255),(0,255,255),(255,255,255)]
BLACK, DRED, DGREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER, GREY, RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, WHITE = range(16)

def png(path, px):
    raw = b''
    for row in px:
        raw += b'\x00'
        for i in range(0, 32, 2):
            raw += bytes([(row[i] << 4) | row[i+1]])
    def chunk(t, d):
        c = struct.pack('>I', len(d)) + t + d
        return c + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
    data = b'\x89PNG\r\n\x1a\n'
    data += chunk(b'IHDR', struct.pack('>IIBBBBB', 32, 32, 4, 3, 0, 0, 0))
    data += chunk(b'PLTE', b''.join(bytes(c) for c in PAL))
    data += chunk(b'tRNS', bytes([255] * MAGENTA + [0]))  # magenta is see-through
    data += chunk(b'IDAT', zlib.compress(raw, 9))
    data += chunk(b'IEND', b'')
    open(path, 'wb').write(data)

def canvas():
    return [[MAGENTA]*32 for _ in range(32)]

def rect(p, x0, y0, x1, y1, c):
    for y in range(y0, y1+1):
        for x in range(x0, x1+1):
            p[y][x] = c

def frame(p, x0, y0, x1, y1, c):
    for x in range(x0, x1+1): p[y0][x] = c; p[y1][x] = c
    for y in range(y0, y1+1): p[y][x0] = c; p[y][x1] = c

def text(p, x, y, glyph, c):
    for dy, row in enumerate(glyph):
        for dx, ch in enumerate(row):
            if ch == '#': p[y+dy][x+dx] = c

# Program icon: a navy badge with a large yellow "V" and a small C-to-P arrow.
prog = canvas()
rect(prog, 1, 1, 30, 30, NAVY)
frame(prog, 1, 1, 30, 30, BLACK)
frame(prog, 2, 2, 29, 29, BLUE)
V = ["##......##",
     "##......##",
     "##......##",
     ".##....##.",
     ".##....##.",
     ".##....##.",
     "..##..##..",
     "..##..##..",
     "..##..##..",
     "...####...",
     "...####...",
     "....##....",]
text(prog, 11, 5, V, YELLOW)
text(prog, 12, 5, V, YELLOW)
arrow = ["....#...", "....##..", "#######.", "########", "#######.", "....##..", "....#..."]
text(prog, 12, 19, arrow, CYAN)
text(prog, 4, 20, ["###", "#..", "#..", "#..", "###"], WHITE)
text(prog, 22, 20, ["###", "#.#", "###", "#..", "#.."], WHITE)
png('velmora.png', prog)

# Window icon: two text pages side by side, grey source lines on the left,
# green result lines on the right, a red arrow between them.
win = canvas()
rect(win, 1, 4, 13, 28, WHITE); frame(win, 1, 4, 13, 28, BLACK)
rect(win, 18, 4, 30, 28, WHITE); frame(win, 18, 4, 30, 28, BLACK)
for i, y in enumerate(range(7, 27, 3)):
    rect(win, 3, y, 3 + (8 if i % 2 == 0 else 5), y, GREY)
    rect(win, 20, y, 20 + (8 if i % 3 else 6), y, DGREEN)
text(win, 13, 13, ["..#..", "..##.", "####.", "#####", "####.", "..##.", "..#.."], RED)
rect(win, 1, 1, 30, 2, TEAL)
png('window-icon.png', win)
