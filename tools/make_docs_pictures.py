#!/usr/bin/python3
"""Composes the pictures of README.md and docs/manual.md from the sample run.

Both pictures show two pages side by side, made from what the sample run
itself wrote, so that they stay true to the program:

  docs/sample-before-after.png  the scan of one page with its markup
                                (transparent parts over a checkerboard) and
                                the page Drovix built from it;
  docs/preview-beside-page.png  the markup preview of a page (key -p) and the
                                page built from it.

Make the outputs first, then compose:

  tools/run_sample.sh                       # builds examples/out/<page>.png
  build/drovix examples/chapter.manga -p    # writes examples/out/<page>.markup.png
  tools/make_docs_pictures.py

Arguments (optional): the examples folder and the docs folder.
"""
import os
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLES = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "examples")
DOCS = sys.argv[2] if len(sys.argv) > 2 else os.path.join(HERE, "..", "docs")
CAPTION_FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"

HALF_WIDTH = 440  # pixels of each of the two pages
GAP = 16
CAPTION = 30
COLOURS = 96  # palette size: keeps each picture a few hundred KB at most


def on_checkerboard(picture):
    """An RGBA picture over a light checkerboard, so transparency shows."""
    board = Image.new("RGB", picture.size, (255, 255, 255))
    draw = ImageDraw.Draw(board)
    cell = 12
    for y in range(0, picture.size[1], cell):
        for x in range((y // cell) % 2 * cell, picture.size[0], 2 * cell):
            draw.rectangle([x, y, x + cell - 1, y + cell - 1], fill=(205, 205, 205))
    board.paste(picture, mask=picture.getchannel("A"))
    return board


def load(path, checkerboard=False):
    picture = Image.open(path)
    if checkerboard:
        picture = on_checkerboard(picture.convert("RGBA"))
    else:
        picture = picture.convert("RGB")
    height = round(picture.size[1] * HALF_WIDTH / picture.size[0])
    return picture.resize((HALF_WIDTH, height), Image.LANCZOS)


def side_by_side(left, right, captions, target):
    height = max(left.size[1], right.size[1])
    sheet = Image.new("RGB", (2 * HALF_WIDTH + 3 * GAP, height + CAPTION + 2 * GAP), (255, 255, 255))
    draw = ImageDraw.Draw(sheet)
    font = ImageFont.truetype(CAPTION_FONT, 18)
    for i, (picture, caption) in enumerate(zip((left, right), captions)):
        x = GAP + i * (HALF_WIDTH + GAP)
        draw.text((x, GAP // 2), caption, fill=(40, 40, 40), font=font)
        sheet.paste(picture, (x, GAP + CAPTION))
    sheet = sheet.quantize(colors=COLOURS, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    sheet.save(target, optimize=True)
    print("%s: %d KB" % (target, (os.path.getsize(target) + 1023) // 1024))


def main():
    out = os.path.join(EXAMPLES, "out")
    side_by_side(load(os.path.join(EXAMPLES, "p01.png"), checkerboard=True),
                 load(os.path.join(out, "p01.png")),
                 ("Scan with its markup", "Page built by drovix"),
                 os.path.join(DOCS, "sample-before-after.png"))
    side_by_side(load(os.path.join(out, "p02.markup.png")),
                 load(os.path.join(out, "p02.png")),
                 ("Превью разметки (drovix -p)", "Собранная страница"),
                 os.path.join(DOCS, "preview-beside-page.png"))


if __name__ == "__main__":
    main()
