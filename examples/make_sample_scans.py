#!/usr/bin/python3
"""Draws the sample chapter's page scans from a fixed seed.

Every page is line art with screen tone, speech balloons whose old lettering
is made transparent (alpha 0), balloons painted red in decreasing strength
with soft rims (the first balloon the strongest), sound effects painted green,
and on one page blue corner marks of a slightly turned sheet. The colour page
keeps its markup in a companion picture "<page>_.png".
"""
import math
import os
import random
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

W, H = 900, 1280
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"


def screen_tone(draw, box, rng, period=6, radius=1.6):
    x0, y0, x1, y1 = box
    for y in range(y0, y1, period):
        off = (y // period) % 2 * period // 2
        for x in range(x0 + off, x1, period):
            r = radius * (0.8 + 0.4 * rng.random())
            draw.ellipse((x - r, y - r, x + r, y + r), fill=(40, 40, 40, 255))


def line_art(draw, box, rng):
    x0, y0, x1, y1 = box
    for _ in range(6):
        cx, cy = rng.randint(x0 + 40, x1 - 40), rng.randint(y0 + 40, y1 - 40)
        r = rng.randint(20, 70)
        draw.ellipse((cx - r, cy - r, cx + r, cy + r), outline=(0, 0, 0, 255), width=3)
    for _ in range(10):
        pts = [(rng.randint(x0, x1), rng.randint(y0, y1)) for _ in range(3)]
        draw.line(pts, fill=(0, 0, 0, 255), width=2)


def panels(draw, rng):
    boxes = [(30, 30, 870, 420), (30, 450, 440, 860), (470, 450, 870, 860), (30, 890, 870, 1250)]
    for b in boxes:
        if rng.random() < 0.6:
            screen_tone(draw, (b[0] + 10, b[1] + 10, b[0] + (b[2] - b[0]) // 2, b[3] - 10), rng)
        line_art(draw, b, rng)
        draw.rectangle(b, outline=(0, 0, 0, 255), width=5)
    return boxes


def balloon(img, draw, box, strength, lettering, rng):
    """A white balloon with black outline, old lettering made transparent, and
    a red marking of the given strength fading towards the rim."""
    x0, y0, x1, y1 = box
    draw.ellipse(box, fill=(255, 255, 255, 255), outline=(0, 0, 0, 255), width=4)
    font = ImageFont.truetype(FONT, 20)
    cy = y0 + (y1 - y0) // 2 - 12 * len(lettering) // 2
    for i, text in enumerate(lettering):
        tw = draw.textlength(text, font=font)
        draw.text((x0 + (x1 - x0 - tw) / 2, cy + 24 * i), text, font=font, fill=(0, 0, 0, 0))
    # Red marking: full strength in the core, a soft rim of a few pixels.
    mask = Image.new("L", img.size, 0)
    md = ImageDraw.Draw(mask)
    inset = 10
    md.ellipse((x0 + inset, y0 + inset, x1 - inset, y1 - inset), fill=255)
    mask = mask.filter(ImageFilter.GaussianBlur(2.5))
    px, mp = img.load(), mask.load()
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            m = mp[x, y]
            if m == 0:
                continue
            s = strength * m // 255
            r, g, b, a = px[x, y]
            grey = b
            # Red strength s over a grey level: R - max(G, B) = s, B keeps the grey.
            if grey + s <= 255:
                px[x, y] = (grey + s, grey, grey, a)
            else:
                px[x, y] = (255, 255 - s, 255 - s, a)


def sound(img, text, pos, size, strength):
    """A sound effect painted green: G - max(R, B) = strength over the art."""
    mask = Image.new("L", img.size, 0)
    ImageDraw.Draw(mask).text(pos, text, font=ImageFont.truetype(FONT, size), fill=255)
    mask = mask.filter(ImageFilter.GaussianBlur(1.2))
    px, mp = img.load(), mask.load()
    for y in range(img.size[1]):
        for x in range(img.size[0]):
            m = mp[x, y]
            if m < 8:
                continue
            s = strength * m // 255
            r, g, b, a = px[x, y]
            # grey = B + green after the split, so lower B by s and keep G at the grey.
            px[x, y] = (max(0, b - s), b, max(0, b - s), a)


def corner_marks(img, quad):
    d = ImageDraw.Draw(img)
    for (x, y) in quad:
        d.rectangle((x - 6, y - 6, x + 6, y + 6), fill=(0, 0, 255, 255))


def grey_page(seed, balloons, sounds, caption=False, turn=0.0):
    rng = random.Random(seed)
    img = Image.new("RGBA", (W, H), (255, 255, 255, 255))
    draw = ImageDraw.Draw(img)
    panels(draw, rng)
    if turn:
        # A sheet scanned slightly turned; the translator paints the markup
        # on the scan as it is.
        img = img.rotate(turn, resample=Image.BICUBIC, expand=False, fillcolor=(255, 255, 255, 255))
        draw = ImageDraw.Draw(img)
    if caption:
        # Old lettering over screen tone, made transparent: the text removal refills it.
        font = ImageFont.truetype(FONT, 26)
        draw.text((60, 960), "ORIGINAL", font=font, fill=(0, 0, 0, 0))
    for text, pos, size, strength in sounds:
        sound(img, text, pos, size, strength)
    for box, strength, lettering in balloons:
        balloon(img, draw, box, strength, lettering, rng)
    return img


def main(folder):
    os.makedirs(folder, exist_ok=True)
    p01 = grey_page(1, [((520, 60, 840, 260), 255, ["OLD", "TEXT"]),
                        ((60, 480, 400, 700), 200, ["OLD TEXT", "HERE"]),
                        ((500, 900, 840, 1150), 150, ["VERTICAL"])],
                    [("БАМ!", (520, 560), 110, 255)], caption=True)
    p01.save(os.path.join(folder, "p01.png"))

    p02 = grey_page(2, [((80, 80, 460, 330), 255, ["OLD", "LETTERING"]),
                        ((480, 520, 850, 800), 180, ["MORE"])],
                    [("ТУК", (120, 950), 120, 255), ("ТУК", (520, 1050), 90, 180)], turn=1.2)
    # Corner marks at the corners of the turned sheet: the page is straightened.
    a = math.radians(1.2)
    cx, cy = W / 2, H / 2
    quad = []
    for (x, y) in [(12, 12), (W - 13, 12), (12, H - 13), (W - 13, H - 13)]:
        dx, dy = x - cx, y - cy
        quad.append((int(cx + dx * math.cos(a) + dy * math.sin(a)), int(cy - dx * math.sin(a) + dy * math.cos(a))))
    turned = p02
    corner_marks(turned, quad)
    turned.save(os.path.join(folder, "p02.png"))

    p03 = grey_page(3, [((100, 100, 800, 380), 255, ["A LONG", "OLD LINE", "OF TEXT"])], [])
    p03.save(os.path.join(folder, "p03.png"))

    # Colour page: colour art, markup in the companion picture p04_.png.
    rng = random.Random(4)
    art = Image.new("RGBA", (W, H), (250, 240, 225, 255))
    d = ImageDraw.Draw(art)
    for _ in range(25):
        x, y, r = rng.randint(0, W), rng.randint(0, H), rng.randint(20, 120)
        d.ellipse((x - r, y - r, x + r, y + r), fill=(rng.randint(60, 250), rng.randint(60, 250), rng.randint(60, 250), 255),
                  outline=(20, 20, 20, 255), width=3)
    box = (250, 120, 650, 380)
    d.ellipse(box, fill=(255, 255, 255, 255), outline=(0, 0, 0, 255), width=4)
    d.text((330, 220), "OLD", font=ImageFont.truetype(FONT, 40), fill=(0, 0, 0, 0))
    art.save(os.path.join(folder, "p04.png"))
    markup = Image.new("RGBA", (W, H), (255, 255, 255, 255))
    balloon(markup, ImageDraw.Draw(markup), box, 255, [], rng)
    sound(markup, "ВЖУХ", (200, 800), 120, 255)
    markup.save(os.path.join(folder, "p04_.png"))

    # A small grey texture for sound layers: a diagonal hatch.
    tex = Image.new("L", (17, 17), 255)
    td = ImageDraw.Draw(tex)
    for k in range(-16, 17, 6):
        td.line([(k, 0), (k + 16, 16)], fill=70, width=2)
    os.makedirs(os.path.join(folder, "textures"), exist_ok=True)
    tex.save(os.path.join(folder, "textures", "hatch.png"))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__)))
